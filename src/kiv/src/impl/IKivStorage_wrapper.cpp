#include "src/kiv/src/impl/IKivStorage_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {

using ::velmo::kiv::IKivStorage;
using ::velmo::kiv::Metadata;
using ::velmo::kiv::MetadataOptions;
using namespace args;

velmo_kiv_IKivStorageWrapperGen::velmo_kiv_IKivStorageWrapperGen(
    std::weak_ptr<IKivClientWrapper> client)
    : SdkModule<IKivStorage>(std::move(client)) {
  const Str channel{"channelName"}, lock{"lockName"}, user{"userId"};
  const Int type{"channelType"};
  const Obj<Metadata> data{"data"};
  const Obj<MetadataOptions> options{"options"};
  registerRows({
      {"KivStorage_setChannelMetadata_55e6d00",
       async(&IKivStorage::setChannelMetadata, channel, type, data, options, lock)},
      {"KivStorage_updateChannelMetadata_55e6d00",
       async(&IKivStorage::updateChannelMetadata, channel, type, data, options, lock)},
      {"KivStorage_removeChannelMetadata_55e6d00",
       async(&IKivStorage::removeChannelMetadata, channel, type, data, options, lock)},
      {"KivStorage_getChannelMetadata_ad8568b",
       async(&IKivStorage::getChannelMetadata, channel, type)},
      {"KivStorage_setUserMetadata_24ae125",
       async(&IKivStorage::setUserMetadata, user, data, options)},
      {"KivStorage_updateUserMetadata_24ae125",
       async(&IKivStorage::updateUserMetadata, user, data, options)},
      {"KivStorage_removeUserMetadata_24ae125",
       async(&IKivStorage::removeUserMetadata, user, data, options)},
      {"KivStorage_getUserMetadata_1fa04dd", async(&IKivStorage::getUserMetadata, user)},
      {"KivStorage_subscribeUserMetadata_1fa04dd",
       async(&IKivStorage::subscribeUserMetadata, user)},
      {"KivStorage_unsubscribeUserMetadata_1fa04dd",
       async(&IKivStorage::unsubscribeUserMetadata, user)},
  });
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
