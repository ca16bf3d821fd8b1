// The host's event sink, for C++ hosts. C hosts build one around a plain
// function with CreateQuonKivEventHandler.
#pragma once

#include "velmo_kiv_sdk/msvc_vtable.h"
#include "velmo_kiv_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {

// Slot 0 destroys the sink (DestroyQuonKivEventHandler calls it with
// VELMO_DELETE_MEMORY), slot 1 is OnEvent: on Windows the layout MSVC gives
// it, whichever compiler builds the host (velmo_kiv_sdk/msvc_vtable.h).
class QuonEventHandler {
 public:
#if VELMO_MSVC_VTABLE_EMULATED
  virtual void* VELMO_THISCALL deletingDestructor(unsigned int flags) {
    if (flags & VELMO_DELETE_MEMORY) {
      delete this;
    } else {
      this->~QuonEventHandler();
    }
    return this;
  }
#else
  virtual ~QuonEventHandler() {}
#endif
  // Called on SDK threads, one event at a time. Must not call
  // "KivClient_create" or destroy the engine from inside.
  virtual void OnEvent(EventParam* event) = 0;
#if VELMO_MSVC_VTABLE_EMULATED
  virtual ~QuonEventHandler() {}
#endif
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
