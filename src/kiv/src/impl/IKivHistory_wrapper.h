// The history module: its table of API names maps onto the SDK's IKivHistory.
#pragma once

#include <memory>

#include "common/includes/quon_log.h"
#include "src/kiv/src/sdk_module.h"

namespace velmo {
namespace quon {
namespace kiv {

// Registers every history API name of the table.
class velmo_kiv_IKivHistoryWrapperGen : public SdkModule<::velmo::kiv::IKivHistory> {
 public:
  explicit velmo_kiv_IKivHistoryWrapperGen(std::weak_ptr<IKivClientWrapper> client);
};

class IKivHistoryWrapper : public velmo_kiv_IKivHistoryWrapperGen {
 public:
  using velmo_kiv_IKivHistoryWrapperGen::velmo_kiv_IKivHistoryWrapperGen;
  ::velmo::kiv::IKivHistory* getSdkInterface(int* errorCode) override {
    return getKivHistory(errorCode);
  }
  ::velmo::kiv::IKivHistory* getKivHistory(int* errorCode) {
    return subInterfaceThroughLink(client_, &::velmo::kiv::IKivClient::getHistory, "history",
                                   errorCode, QUON_HERE);
  }
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
