#include "src/kiv/src/event/kiv_event_catalogue.h"

namespace velmo {
namespace quon {
namespace kiv {

const std::vector<EventDescription>& kivEventCatalogue() {
#define KIV_DESCRIBE_EVENT(callback, ...) events::callback.describe(),
  static const std::vector<EventDescription> catalogue = {KIV_EVENT_ROWS(KIV_DESCRIBE_EVENT)};
#undef KIV_DESCRIBE_EVENT
  return catalogue;
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
