#include "src/kiv/src/impl/IKivLock_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {

using ::velmo::kiv::IKivLock;
using namespace args;

velmo_kiv_IKivLockWrapperGen::velmo_kiv_IKivLockWrapperGen(std::weak_ptr<IKivClientWrapper> client)
    : SdkModule<IKivLock>(std::move(client)) {
  const Str channel{"channelName"}, lock{"lockName"};
  const Int type{"channelType"};
  registerRows({
      {"KivLock_setLock_89e5672", async(&IKivLock::setLock, channel, type, lock, U32{"ttl"})},
      {"KivLock_getLocks_ad8568b", async(&IKivLock::getLocks, channel, type)},
      {"KivLock_removeLock_4ffa44d", async(&IKivLock::removeLock, channel, type, lock)},
      {"KivLock_acquireLock_cd2dbc2",
       async(&IKivLock::acquireLock, channel, type, lock, Bool{"retry"})},
      {"KivLock_releaseLock_4ffa44d", async(&IKivLock::releaseLock, channel, type, lock)},
      {"KivLock_revokeLock_fc4a9d7",
       async(&IKivLock::revokeLock, channel, type, lock, Str{"owner"})},
  });
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
