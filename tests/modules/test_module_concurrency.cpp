// Calls into one module run one at a time, SDK call included; calls into
// different modules run side by side. The fake SDK holds one call inside the
// SDK on a latch while other threads call in.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "modules/module_fixture.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

// Only bounds a failing run; passing never waits for it.
constexpr auto kGenerous = std::chrono::seconds(60);

// Holds the first call of one SDK operation until opened, and tells who is
// inside the SDK.
class Latch {
 public:
  explicit Latch(std::string heldOp) : heldOp_(std::move(heldOp)) {}

  void onCall(const SdkCall& call) {
    std::unique_lock<std::mutex> lock(mutex_);
    entered_.insert(call.op);
    changed_.notify_all();
    if (call.op != heldOp_ || held_) return;
    held_ = true;
    changed_.wait_for(lock, kGenerous, [&] { return open_; });
  }
  bool waitEntered(const std::string& op, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return entered_.count(op) > 0; });
  }
  void open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  std::string heldOp_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::set<std::string> entered_;
  bool held_ = false;
  bool open_ = false;
};

class ModuleConcurrency : public EngineFixture<> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    createClient();
    createChannel("ch");
    sdk().setCallHook([this](const SdkCall& call) { latch_.onCall(call); });
  }
  void TearDown() override {
    latch_.open();
    sdk().setCallHook(nullptr);
    EngineFixture::TearDown();
  }
  std::future<int> callAsync(const char* api, const char* params) {
    return std::async(std::launch::async, [=] { return call(api, params).code; });
  }

  Latch latch_{"IKivLock::getLocks"};
};

TEST_F(ModuleConcurrency, OtherModulesRunWhileOneIsInsideTheSdk) {
  auto held = callAsync("KivLock_getLocks_ad8568b", R"({"channelName":"c","channelType":1})");
  ASSERT_TRUE(latch_.waitEntered("IKivLock::getLocks", std::chrono::milliseconds(kGenerous)));

  struct Other {
    const char* api;
    const char* params;
  } others[] = {
      {"KivStorage_getUserMetadata_1fa04dd", R"({"userId":"u"})"},
      {"KivPresence_whereNow_1fa04dd", R"({"userId":"u"})"},
      {"KivHistory_getMessages_e5877fc", R"({"channelName":"c","channelType":1,"options":{}})"},
      {"KivClient_login_1fa04dd", R"({"token":"t"})"},
      {"StreamChannel_leave_90386a9", R"({"channelName":"ch"})"},
  };
  for (const Other& other : others) {
    auto done = callAsync(other.api, other.params);
    ASSERT_EQ(done.wait_for(kGenerous), std::future_status::ready)
        << other.api << " waited for the lock module";
    EXPECT_EQ(done.get(), 0) << other.api;
  }
  latch_.open();
  EXPECT_EQ(held.get(), 0);
}

TEST_F(ModuleConcurrency, CallsIntoOneModuleWaitForEachOther) {
  auto held = callAsync("KivLock_getLocks_ad8568b", R"({"channelName":"c","channelType":1})");
  ASSERT_TRUE(latch_.waitEntered("IKivLock::getLocks", std::chrono::milliseconds(kGenerous)));
  auto second = callAsync("KivLock_releaseLock_4ffa44d",
                          R"({"channelName":"c","channelType":1,"lockName":"L"})");
  // A second call that is not held back reaches the SDK at once; give it the
  // chance. A correct module never lets it in, so passing does not depend on
  // how long this is.
  EXPECT_FALSE(latch_.waitEntered("IKivLock::releaseLock", std::chrono::milliseconds(500)));
  EXPECT_NE(second.wait_for(std::chrono::seconds(0)), std::future_status::ready);

  latch_.open();
  EXPECT_EQ(held.get(), 0);
  ASSERT_EQ(second.wait_for(kGenerous), std::future_status::ready);
  EXPECT_EQ(second.get(), 0);
  const auto calls = sdk().calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2].op, "IKivLock::getLocks");
  EXPECT_EQ(calls.back().op, "IKivLock::releaseLock");
}

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
