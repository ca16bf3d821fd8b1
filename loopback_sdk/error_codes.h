// The stand-in's own error codes. They reach the host unchanged in result
// events and through getKivErrorReason; docs/loopback-sdk.md lists them.
#pragma once

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

enum ErrorCode : int {
  kOk = 0,
  kFailure = 1,
  kInvalidArgument = 2,
  kInvalidAppId = 3,
  kInvalidUserId = 4,
  kInvalidToken = 5,
  kNotLoggedIn = 6,
  kNotConnected = 7,
  kInvalidChannelName = 8,
  kInvalidChannelType = 9,
  kNotInChannel = 10,
  kMessageTooLarge = 11,
  kStreamChannelExists = 12,
  kTopicNotJoined = 13,
  kTopicNotSubscribed = 14,
  kRevisionMismatch = 15,
  kMetadataItemNotFound = 16,
  kLockNotFound = 17,
  kLockExists = 18,
  kLockHeldElsewhere = 19,
  kLockNotHeld = 20,
  kLockAcquireCancelled = 21,
  kUserNotPresent = 22,
  kInvalidParameters = 23,
  kClientReleased = 24,
  kInjectedFailure = 25,
  // The Redis backend's server is down or unreachable.
  kServiceUnreachable = 26,
  // VELMO_KIV_LOOPBACK_REDIS does not parse as a Redis address.
  kInvalidRedisAddress = 27,
};

// Never null; unknown codes get a text of their own.
const char* errorReason(int code);

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
