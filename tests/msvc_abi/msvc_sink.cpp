// A host's event sink as a C++ host built with MSVC writes one: derived from
// the public QuonEventHandler, OnEvent overridden, destroyed by the library's
// DestroyQuonKivEventHandler through MSVC's deleting destructor, so that its
// own destructor and its own allocator run. Built in MSVC's ABI with no C
// runtime; each event goes on to a plain C function of the host.
#include "no_crt_runtime.h"
#include "quon_event_handler.h"

namespace {

class ForwardingSink final : public velmo::quon::kiv::QuonEventHandler {
 public:
  ForwardingSink(QuonOnEventFn onEvent, volatile long* destroyed)
      : onEvent_(onEvent), destroyed_(destroyed) {}
  ~ForwardingSink() override {
    if (destroyed_) *destroyed_ = 1;
  }
  void OnEvent(EventParam* event) override {
    if (onEvent_) onEvent_(event);
  }

 private:
  QuonOnEventFn onEvent_;
  volatile long* destroyed_;
};

}  // namespace

// onEvent receives every event; *destroyed becomes 1 when the destructor runs.
extern "C" __declspec(dllexport) QuonEventHandlerHandle
    __cdecl CreateForwardingSink(QuonOnEventFn onEvent, volatile long* destroyed) {
  return new ForwardingSink(onEvent, destroyed);
}
