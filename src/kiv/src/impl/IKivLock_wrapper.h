// The lock module: its table of API names maps onto the SDK's IKivLock.
#pragma once

#include <memory>

#include "common/includes/quon_log.h"
#include "src/kiv/src/sdk_module.h"

namespace velmo {
namespace quon {
namespace kiv {

// Registers every lock API name of the table.
class velmo_kiv_IKivLockWrapperGen : public SdkModule<::velmo::kiv::IKivLock> {
 public:
  explicit velmo_kiv_IKivLockWrapperGen(std::weak_ptr<IKivClientWrapper> client);
};

class IKivLockWrapper : public velmo_kiv_IKivLockWrapperGen {
 public:
  using velmo_kiv_IKivLockWrapperGen::velmo_kiv_IKivLockWrapperGen;
  ::velmo::kiv::IKivLock* getSdkInterface(int* errorCode) override { return getKivLock(errorCode); }
  ::velmo::kiv::IKivLock* getKivLock(int* errorCode) {
    return subInterfaceThroughLink(client_, &::velmo::kiv::IKivClient::getLock, "lock", errorCode,
                                   QUON_HERE);
  }
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
