// Enumerations the stand-in reports in its events. docs/loopback-sdk.md
// documents every value; hosts see them as plain numbers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

enum ChannelType : int {
  kChannelNone = 0,
  kChannelMessage = 1,
  kChannelStream = 2,
  kChannelUser = 3
};

enum PresenceEventType : int { kPresenceSnapshot = 1, kPresenceInterval = 2 };

enum TopicEventType : int { kTopicSnapshot = 1, kTopicRemoteJoin = 2, kTopicRemoteLeave = 3 };

enum LockEventType : int {
  kLockSnapshot = 1,
  kLockSet = 2,
  kLockRemoved = 3,
  kLockAcquired = 4,
  kLockReleased = 5,
  kLockExpired = 6,
};

enum StorageType : int { kStorageUser = 1, kStorageChannel = 2 };

enum StorageEventType : int {
  kStorageSnapshot = 1,
  kStorageSet = 2,
  kStorageUpdate = 3,
  kStorageRemove = 4,
};

// LinkStateEvent states, operations and service type.
enum LinkState : int {
  kLinkIdle = 0,
  kLinkConnecting = 1,
  kLinkConnected = 2,
  kLinkDisconnected = 3,
};
enum LinkOperation : int {
  kLinkOpLogin = 1,
  kLinkOpLogout = 2,
  kLinkOpConnectionDropped = 3,
  kLinkOpReconnected = 4,
};
constexpr int kLinkServiceMessage = 1;

// onConnectionStateChanged states and reasons.
enum ConnectionState : int {
  kConnectionDisconnected = 1,
  kConnectionConnecting = 2,
  kConnectionConnected = 3,
  kConnectionReconnecting = 4,
};
enum ConnectionReason : int {
  kReasonLoginSuccess = 1,
  kReasonInterrupted = 2,
  kReasonLogout = 3,
  kReasonReconnected = 4,
};

enum TokenEventType : int { kTokenWillExpire = 1 };

// Server types of onRenewTokenResult.
enum ServerType : int { kServerMessage = 1, kServerStream = 2 };

constexpr size_t kMaxPayloadBytes = 32768;
constexpr size_t kHistoryPerChannel = 1000;
constexpr uint32_t kDefaultReconnectDelayMs = 1000;
constexpr uint32_t kDefaultTtlUnitMs = 1000;
constexpr size_t kPresencePageSize = 100;

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
