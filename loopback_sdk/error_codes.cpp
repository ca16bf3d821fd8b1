#include "loopback_sdk/error_codes.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

const char* errorReason(int code) {
  switch (code) {
    case kOk:
      return "ok";
    case kFailure:
      return "general failure";
    case kInvalidArgument:
      return "invalid argument";
    case kInvalidAppId:
      return "appId is missing or empty";
    case kInvalidUserId:
      return "userId is missing or empty";
    case kInvalidToken:
      return "token is missing or empty";
    case kNotLoggedIn:
      return "not logged in";
    case kNotConnected:
      return "not connected: the connection is down";
    case kInvalidChannelName:
      return "channel name is missing or empty";
    case kInvalidChannelType:
      return "channel type is not valid for this operation";
    case kNotInChannel:
      return "not subscribed to or joined in the channel";
    case kMessageTooLarge:
      return "message is larger than 32768 bytes";
    case kStreamChannelExists:
      return "a stream channel of that name already exists";
    case kTopicNotJoined:
      return "topic not joined";
    case kTopicNotSubscribed:
      return "topic not subscribed";
    case kRevisionMismatch:
      return "revision mismatch: the metadata changed since that revision";
    case kMetadataItemNotFound:
      return "metadata item not found";
    case kLockNotFound:
      return "lock not found";
    case kLockExists:
      return "lock already exists";
    case kLockHeldElsewhere:
      return "lock is held by another user";
    case kLockNotHeld:
      return "lock is not held by the caller";
    case kLockAcquireCancelled:
      return "waiting lock acquisition cancelled";
    case kUserNotPresent:
      return "user is not present in the channel";
    case kInvalidParameters:
      return "parameters are not a JSON object";
    case kClientReleased:
      return "the client was released";
    case kInjectedFailure:
      return "failure injected by loopback.fail_next_requests";
    case kServiceUnreachable:
      return "the shared service cannot be reached";
    case kInvalidRedisAddress:
      return "VELMO_KIV_LOOPBACK_REDIS is not a Redis address: expected host:port, "
             "redis://host:port or redis://host:port/db, with a port from 1 to 65535 and a "
             "database from 0 to 1000";
    default:
      return "unknown error code";
  }
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
