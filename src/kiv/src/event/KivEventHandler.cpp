#include "src/kiv/src/event/KivEventHandler.h"

namespace velmo {
namespace quon {
namespace kiv {

// Out of line so that the class's virtual table and callbacks are emitted here only.
KivEventHandler::~KivEventHandler() = default;

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
