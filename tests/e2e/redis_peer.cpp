// A second process for the Redis backend's tests: logs in as the user given,
// enters the channel given, prints "ready PID", then a line per event it
// gets ("link STATE", "message PAYLOAD") until it is killed.
//   redis_peer USER CHANNEL   (the server from VELMO_KIV_LOOPBACK_REDIS)
#include <unistd.h>

#include <cstdio>
#include <future>
#include <string>

#include "velmo_kiv_sdk/velmo_kiv_sdk.h"

namespace {

class Handler : public velmo::kiv::IKivEventHandler {
 public:
  std::promise<int> loggedIn, subscribed;
  void onLoginResult(uint64_t, int code) override { loggedIn.set_value(code); }
  void onSubscribeResult(uint64_t, const char*, int code) override { subscribed.set_value(code); }
  void onLinkStateEvent(const velmo::kiv::LinkStateEvent& event) override {
    std::printf("link %d\n", event.currentState);
    std::fflush(stdout);
  }
  void onMessageEvent(const velmo::kiv::MessageEvent& event) override {
    std::printf("message %s\n", std::string(event.message, event.messageLength).c_str());
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  alarm(60);  // ends by itself should the test that started it be gone
  Handler handler;
  velmo::kiv::KivConfig config;
  config.appId = "loopback-test";
  config.userId = argv[1];
  config.eventHandler = &handler;
  int error = 0;
  velmo::kiv::IKivClient* client = createKivClient(&config, &error);
  if (!client) return 1;
  uint64_t id = 0;
  client->login("token", id);
  if (handler.loggedIn.get_future().get() != 0) return 1;
  client->subscribe(argv[2], velmo::kiv::SubscribeOptions(), id);
  if (handler.subscribed.get_future().get() != 0) return 1;
  std::printf("ready %d\n", static_cast<int>(getpid()));
  std::fflush(stdout);
  for (;;) pause();
}
