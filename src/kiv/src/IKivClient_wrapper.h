// The client module: creates and releases the SDK client, logs in and out,
// publishes and subscribes, passes SDK parameters through and steers the
// library log. It owns the event bridge the SDK reports to, and the other
// modules reach the SDK client through it.
#pragma once

#include <memory>

#include "src/kiv/src/event/KivEventHandler.h"
#include "src/kiv/src/sdk_module.h"
#include "velmo_kiv_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {

// Registers the generated operations: login, logout, renewToken, subscribe,
// unsubscribe.
class velmo_kiv_IKivClientWrapperGen : public SdkModule<::velmo::kiv::IKivClient> {
 public:
  velmo_kiv_IKivClientWrapperGen();
  ::velmo::kiv::IKivClient* getSdkInterface(int* errorCode) final {
    return getKivClient(errorCode);
  }
  // The SDK client, or null after storing -7 into *errorCode; logs nothing.
  virtual ::velmo::kiv::IKivClient* getKivClient(int* errorCode) = 0;
};

class IKivClientWrapper : public velmo_kiv_IKivClientWrapperGen {
 public:
  // client may be null; factory is never null.
  IKivClientWrapper(::velmo::kiv::IKivClient* client, const KivProcTable* factory);
  ~IKivClientWrapper() override;

  ::velmo::kiv::IKivClient* getKivClient(int* errorCode) override;
  KivEventHandler& eventBridge() { return *bridge_; }

  // True while this thread is inside one of this client's event deliveries:
  // the client and its bridge are in use there and must not be replaced,
  // released or destroyed.
  bool insideOwnDelivery() const { return bridge_->deliveringOnThisThread(); }

 private:
  int create(json& params, json& result);
  int release(::velmo::kiv::IKivClient& client, json& result);
  // True, with an error line, when apiName is called from inside a delivery.
  bool refusedInsideDelivery(const char* apiName) const;
  int setAppType(json& params, json& result);

  std::unique_ptr<KivEventHandler> bridge_;
  ::velmo::kiv::IKivClient* client_;
  const KivProcTable* factory_;
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
