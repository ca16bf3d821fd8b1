// The eleven exported functions. Nothing is thrown across them: every failure
// inside becomes a return code (or a null handle) and an error line.
#include <new>

#include "common/includes/quon_log.h"
#include "quon_event_handler.h"
#include "src/kiv/src/quon_kiv_api_engine.h"
#include "velmo_kiv_sdk/velmo_kiv_sdk.h"
#include "velmo_kiv_wrapper.h"

using velmo::quon::kiv::IQuonKivApiEngine;
using velmo::quon::kiv::QuonEventHandler;
using velmo::quon::kiv::QuonKivApiEngine;

namespace {

// A host sink built around a plain function.
class QuonCallbackEventHandler : public QuonEventHandler {
 public:
  explicit QuonCallbackEventHandler(QuonOnEventFn onEvent) : onEvent_(onEvent) {}
  void OnEvent(EventParam* event) override {
    if (onEvent_) onEvent_(event);
  }

 private:
  QuonOnEventFn onEvent_;
};

QuonKivEngineHandle createEngine(velmo::kiv::IKivClient* client, const KivProcTable* table) {
  try {
    return static_cast<IQuonKivApiEngine*>(new QuonKivApiEngine(client, table));
  } catch (const std::exception& e) {
    QUON_LOG_ERROR("engine creation failed: {}", e.what());
  } catch (...) {
    QUON_LOG_ERROR("engine creation failed");
  }
  return nullptr;
}

void destroyEngine(QuonKivEngineHandle engine) {
  if (!engine) return;
  auto* owned = static_cast<QuonKivApiEngine*>(static_cast<IQuonKivApiEngine*>(engine));
  if (owned->insideOwnDelivery()) {
    // The delivery loop still walks this engine's bridge; the host destroys
    // the engine later, from another thread.
    QUON_LOG_ERROR("DestroyQuonKivEngine refused: called from the engine's own event sink");
    return;
  }
  try {
    delete owned;
  } catch (...) {
    QUON_LOG_ERROR("engine teardown failed");
  }
}

}  // namespace

extern "C" {

QUON_API QuonKivEngineHandle QUON_CALL CreateQuonKivEngine(QuonKivClientPtr client) {
  return createEngine(client, nullptr);
}

QUON_API QuonKivEngineHandle QUON_CALL CreateQuonKivEngineWithProcTable(const KivProcTable* table) {
  return createEngine(nullptr, table);
}

QUON_API QuonKivEngineHandle QUON_CALL createQuonKivClient(QuonKivClientPtr client) {
  return createEngine(client, nullptr);
}

QUON_API void QUON_CALL DestroyQuonKivEngine(QuonKivEngineHandle engine) { destroyEngine(engine); }

QUON_API void QUON_CALL destroyQuonKivClient(QuonKivEngineHandle engine) { destroyEngine(engine); }

QUON_API int QUON_CALL CallQuonKivApi(QuonKivEngineHandle engine, ApiParam* param) {
  if (!engine) return velmo::quon::kiv::kCodeNullEngine;
  try {
    return static_cast<IQuonKivApiEngine*>(engine)->CallApi(param);
  } catch (const std::exception& e) {
    QUON_LOG_ERROR("api name {} failed: {}", param && param->apiName ? param->apiName : "",
                   e.what());
  } catch (...) {
    QUON_LOG_ERROR("api name {} failed", param && param->apiName ? param->apiName : "");
  }
  return velmo::quon::kiv::kCodeBadParams;
}

QUON_API QuonEventHandlerHandle QUON_CALL
CreateQuonKivEventHandler(const HostEventCallbacks* callbacks) {
  if (!callbacks) return nullptr;
  return new (std::nothrow) QuonCallbackEventHandler(callbacks->onEvent);
}

QUON_API void QUON_CALL DestroyQuonKivEventHandler(QuonEventHandlerHandle handler) {
  if (!handler) return;
  try {
#if VELMO_MSVC_VTABLE_EMULATED
    // The sink's own deleting destructor, so that a host built with another
    // compiler frees it with its own allocator.
    handler->deletingDestructor(VELMO_DELETE_MEMORY);
#else
    delete handler;
#endif
  } catch (...) {
    QUON_LOG_ERROR("event handler teardown failed");
  }
}

QUON_API const char* QUON_CALL GetQuonKivErrorReason(int errorCode) {
  return getKivErrorReason(errorCode);
}

QUON_API const char* QUON_CALL getQuonKivErrorReason(int errorCode) {
  return getKivErrorReason(errorCode);
}

QUON_API const char* QUON_CALL GetQuonKivVersion(int* build) { return getKivVersion(build); }

}  // extern "C"
