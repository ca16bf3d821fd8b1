#include "bench/self_check.h"

#include <string>

#include "bench/bench_world.h"
#include "bench/floor_bodies.h"
#include "bench/null_sdk.h"
#include "src/kiv/src/event/KivEventHandler.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

// Keeps a copy of the last event it was given.
class CapturingSink final : public QuonEventHandler {
 public:
  void OnEvent(EventParam* event) override {
    name = event->eventName;
    data.assign(event->data, event->dataLength);
    bufferCount = event->bufferCount;
  }
  std::string name;
  std::string data;
  unsigned int bufferCount = 0;
};

class Checker {
 public:
  std::vector<std::string> differences;

  void same(const std::string& what, const std::string& library, const std::string& floor) {
    if (library != floor)
      differences.push_back(what + ": the library gave " + library.substr(0, 300) +
                            " and the floor " + floor.substr(0, 300));
  }
  void equal(const std::string& what, size_t library, size_t expected) {
    if (library != expected)
      differences.push_back(what + ": " + std::to_string(library) + " instead of " +
                            std::to_string(expected));
  }
};

void checkCalls(Checker& check) {
  const std::string accepted = acceptedResult(kRequestId).dump();
  for (const CallInput& input : measuredCalls()) {
    PreparedCall call(input);
    const int code = call.run(BenchWorld::instance().engine());
    check.equal(std::string(input.label) + " code", static_cast<size_t>(code), 0);
    check.same(std::string(input.label) + " result", call.result(), accepted);
  }
}

void checkEvents(Checker& check) {
  KivEventHandler bridge;
  CapturingSink sink;
  bridge.addEventHandler(&sink);

  bridge.onLoginResult(kRequestId, 0);
  check.same("login result", sink.data, loginResultBody(kRequestId, 0).dump());

  bridge.onMessageEvent(messageEvent());
  check.same("message event", sink.data, messageEventBody(messageEvent()).dump());
  check.equal("message event buffers", sink.bufferCount, 1);

  for (size_t users : {size_t{10}, size_t{1000}}) {
    PresenceEventInput presence(users);
    bridge.onPresenceEvent(presence.event());
    check.same("presence event of " + std::to_string(users) + " users", sink.data,
               presenceEventBody(presence.event()).dump());
  }

  HistoryInput history(100);
  bridge.onGetHistoryMessagesResult(kRequestId, history.messages(), history.count(),
                                    HistoryInput::kNewStart, 0);
  check.same(
      "history result", sink.data,
      historyResultBody(kRequestId, history.messages(), history.count(), HistoryInput::kNewStart, 0)
          .dump());
  check.equal("history result buffers", sink.bufferCount, history.count());
}

}  // namespace

std::vector<std::string> checkFloorsMatchLibrary() {
  Checker check;
  checkCalls(check);
  checkEvents(check);
  return check.differences;
}

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
