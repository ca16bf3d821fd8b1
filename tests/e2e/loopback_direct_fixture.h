// Test clients of the stand-in SDK, driven through its C++ interfaces.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "loopback_recorder.h"

namespace loopback_test {

// Codes and enumerations of the stand-in that the tests check (docs/loopback-sdk.md).
enum : int {
  kOk = 0,
  kInvalidAppId = 3,
  kInvalidUserId = 4,
  kInvalidToken = 5,
  kNotLoggedIn = 6,
  kNotConnected = 7,
  kNotInChannel = 10,
  kRevisionMismatch = 15,
  kLockHeldElsewhere = 19,
  kLockNotHeld = 20,
  kInjectedFailure = 25,
};
enum : int { kMessageChannel = 1, kStreamChannel = 2, kUserChannel = 3 };
enum : int { kPresenceSnapshot = 1, kPresenceInterval = 2 };
enum : int { kLockAcquired = 4, kLockReleased = 5, kLockExpired = 6 };

// One user: a client with its own recorder. Released at the end unless done before.
struct TestUser {
  explicit TestUser(const std::string& userId, const std::string& appId = "loopback-test");
  ~TestUser();

  velmo::kiv::IKivClient& client() { return *sdk; }
  // Makes the request, then waits for its result and expects the code.
  Call expect(const std::string& resultName, uint64_t requestId, int code = kOk);
  void login();
  void subscribe(const std::string& channel, velmo::kiv::SubscribeOptions options = {});
  uint64_t publish(const std::string& channel, const std::string& payload, bool store = false);
  void release();

  std::string userId;
  Recorder recorder;
  velmo::kiv::IKivClient* sdk = nullptr;
};

// A channel name no other test uses: the service is shared by the whole process.
std::string uniqueChannel(const std::string& stem);

}  // namespace loopback_test
