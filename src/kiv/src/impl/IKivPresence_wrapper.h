// The presence module: its table of API names maps onto the SDK's IKivPresence.
#pragma once

#include <memory>

#include "common/includes/quon_log.h"
#include "src/kiv/src/sdk_module.h"

namespace velmo {
namespace quon {
namespace kiv {

// Registers every presence API name of the table.
class velmo_kiv_IKivPresenceWrapperGen : public SdkModule<::velmo::kiv::IKivPresence> {
 public:
  explicit velmo_kiv_IKivPresenceWrapperGen(std::weak_ptr<IKivClientWrapper> client);
};

class IKivPresenceWrapper : public velmo_kiv_IKivPresenceWrapperGen {
 public:
  using velmo_kiv_IKivPresenceWrapperGen::velmo_kiv_IKivPresenceWrapperGen;
  ::velmo::kiv::IKivPresence* getSdkInterface(int* errorCode) override {
    return getKivPresence(errorCode);
  }
  ::velmo::kiv::IKivPresence* getKivPresence(int* errorCode) {
    return subInterfaceThroughLink(client_, &::velmo::kiv::IKivClient::getPresence, "presence",
                                   errorCode, QUON_HERE);
  }
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
