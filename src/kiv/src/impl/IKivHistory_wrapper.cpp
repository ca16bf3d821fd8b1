#include "src/kiv/src/impl/IKivHistory_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {

using ::velmo::kiv::GetHistoryMessagesOptions;
using ::velmo::kiv::IKivHistory;
using namespace args;

velmo_kiv_IKivHistoryWrapperGen::velmo_kiv_IKivHistoryWrapperGen(
    std::weak_ptr<IKivClientWrapper> client)
    : SdkModule<IKivHistory>(std::move(client)) {
  registerRows({
      {"KivHistory_getMessages_e5877fc",
       async(&IKivHistory::getMessages, Str{"channelName"}, Int{"channelType"},
             Obj<GetHistoryMessagesOptions>{"options"})},
  });
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
