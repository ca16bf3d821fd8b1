#include "loopback_direct_fixture.h"

namespace loopback_test {

TestUser::TestUser(const std::string& id, const std::string& appId) : userId(id) {
  velmo::kiv::KivConfig config;
  config.appId = appId.c_str();
  config.userId = userId.c_str();
  config.eventHandler = &recorder;
  int error = -1;
  sdk = createKivClient(&config, &error);
  EXPECT_NE(sdk, nullptr);
  EXPECT_EQ(error, kOk);
}

TestUser::~TestUser() { release(); }

void TestUser::release() {
  if (sdk) {
    EXPECT_EQ(sdk->release(), kOk);
  }
  sdk = nullptr;
}

Call TestUser::expect(const std::string& resultName, uint64_t requestId, int code) {
  std::optional<Call> call = recorder.waitResult(resultName, requestId);
  EXPECT_TRUE(call) << userId << " never got " << resultName << " for request " << requestId;
  if (!call) return Call();
  EXPECT_EQ(call->errorCode, code) << userId << " " << resultName;
  return *call;
}

void TestUser::login() {
  uint64_t id = 0;
  sdk->login("token", id);
  expect("onLoginResult", id);
}

void TestUser::subscribe(const std::string& channel, velmo::kiv::SubscribeOptions options) {
  uint64_t id = 0;
  sdk->subscribe(channel.c_str(), options, id);
  expect("onSubscribeResult", id);
}

uint64_t TestUser::publish(const std::string& channel, const std::string& payload, bool store) {
  velmo::kiv::PublishOptions options;
  options.storeInHistory = store;
  uint64_t id = 0;
  sdk->publish(channel.c_str(), payload.data(), payload.size(), options, id);
  expect("onPublishResult", id);
  return id;
}

std::string uniqueChannel(const std::string& stem) {
  static std::atomic<int> counter{0};
  return stem + "-" + std::to_string(++counter);
}

}  // namespace loopback_test
