// The storage module: its table of API names maps onto the SDK's IKivStorage.
#pragma once

#include <memory>

#include "common/includes/quon_log.h"
#include "src/kiv/src/sdk_module.h"

namespace velmo {
namespace quon {
namespace kiv {

// Registers every storage API name of the table.
class velmo_kiv_IKivStorageWrapperGen : public SdkModule<::velmo::kiv::IKivStorage> {
 public:
  explicit velmo_kiv_IKivStorageWrapperGen(std::weak_ptr<IKivClientWrapper> client);
};

class IKivStorageWrapper : public velmo_kiv_IKivStorageWrapperGen {
 public:
  using velmo_kiv_IKivStorageWrapperGen::velmo_kiv_IKivStorageWrapperGen;
  ::velmo::kiv::IKivStorage* getSdkInterface(int* errorCode) override {
    return getKivStorage(errorCode);
  }
  ::velmo::kiv::IKivStorage* getKivStorage(int* errorCode) {
    return subInterfaceThroughLink(client_, &::velmo::kiv::IKivClient::getStorage, "storage",
                                   errorCode, QUON_HERE);
  }
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
