// Base of every module that adapts one SDK interface: a table of rows
// registered at construction, each run as: get the interface (-7 when there
// is none), read the keys and call the SDK, then onResult().
#pragma once

#include <spdlog/common.h>

#include <memory>
#include <vector>

#include "src/kiv/src/api_module_base.h"
#include "src/kiv/src/module_request.h"
#include "velmo_kiv_sdk/kiv_interfaces.h"

namespace velmo {
namespace quon {
namespace kiv {

class IKivClientWrapper;

template <class Iface>
class SdkModule : public ApiModuleBase {
 public:
  explicit SdkModule(std::weak_ptr<IKivClientWrapper> client) : client_(std::move(client)) {}

  // Called with the result of every operation that succeeded; does nothing.
  virtual void onResult(json& result) { (void)result; }

  // The SDK interface this module drives, or null after storing -7 into
  // *errorCode (when errorCode is not null).
  virtual Iface* getSdkInterface(int* errorCode) = 0;

 protected:
  void registerRows(const std::vector<ApiRow<Iface>>& rows) {
    for (const ApiRow<Iface>& row : rows) registerOp(row.apiName, row.op, row.description);
  }

  void registerOp(const char* apiName, ModuleOp<Iface> op, ApiDescription description) {
    registerHandler(
        apiName,
        [this, op = std::move(op)](json& params, json& result) { return run(op, params, result); },
        std::move(description));
  }

  int run(const ModuleOp<Iface>& op, json& params, json& result) {
    int errorCode = 0;
    Iface* sdk = getSdkInterface(&errorCode);
    if (!sdk) return errorCode != 0 ? errorCode : kCodeNoClient;
    const int code = op(*sdk, params, result);
    if (code == kCodeOk) onResult(result);
    return code;
  }

  std::weak_ptr<IKivClientWrapper> client_;
};

// The client module's SDK client through a weak reference, or null with an
// error line ("kiv client wrapper is not initialized" / "kiv client is not
// initialized") and -7 stored into *errorCode. The line carries the caller's
// place (QUON_HERE), so the log shows which module asked.
::velmo::kiv::IKivClient* clientThroughLink(const std::weak_ptr<IKivClientWrapper>& link,
                                            int* errorCode, const spdlog::source_loc& caller);

// A sub-interface of the client (storage, lock, presence, history). A client
// that hands back none is reported as -7 with an error line naming it.
template <class Sub>
Sub* subInterfaceThroughLink(const std::weak_ptr<IKivClientWrapper>& link,
                             Sub* (::velmo::kiv::IKivClient::*getter)(), const char* what,
                             int* errorCode, const spdlog::source_loc& caller);

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
