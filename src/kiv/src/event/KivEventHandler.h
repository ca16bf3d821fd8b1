// The library's one implementation of the SDK's callback interface: every
// callback becomes a named JSON event for the registered host sinks.
#pragma once

#include "src/kiv/src/event/quon_event_handler_manager.h"
#include "velmo_kiv_sdk/kiv_event_handler.h"

namespace velmo {
namespace quon {
namespace kiv {

class KivEventHandler : public ::velmo::kiv::IKivEventHandler,
                        public virtual QuonEventHandlerManager {};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
