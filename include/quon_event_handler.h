// The host's event sink, for C++ hosts. C hosts build one around a plain
// function with CreateQuonKivEventHandler.
#pragma once

#include "velmo_kiv_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {

class QuonEventHandler {
 public:
  virtual ~QuonEventHandler() {}
  // Called on SDK threads, one event at a time. Must not call
  // "KivClient_create" or destroy the engine from inside.
  virtual void OnEvent(EventParam* event) = 0;
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
