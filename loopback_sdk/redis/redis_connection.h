// One connection to Redis over hiredis's blocking API. Not thread-safe: each
// user owns its connection (the command path under the hub's lock, the inbox
// reader on its own thread).
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

struct redisContext;
struct redisReply;

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

// Where the Redis server is: "host:port", "redis://host:port" or "redis://host:port/db".
struct RedisAddress {
  std::string host = "127.0.0.1";
  int port = 6379;
  int database = 0;
};
// False when the text is not an address of that form; *why then says which part is wrong.
bool parseRedisAddress(const std::string& text, RedisAddress& address, std::string* why = nullptr);

// A reply converted to plain values: nested arrays, byte strings, integers,
// nil and errors.
struct RedisValue {
  enum class Kind { kNil, kString, kInteger, kArray, kError, kStatus };
  Kind kind = Kind::kNil;
  std::string text;  // string, status or error text
  long long integer = 0;
  std::vector<RedisValue> items;
  bool isError() const { return kind == Kind::kError; }
};

class RedisConnection {
 public:
  RedisConnection() = default;
  ~RedisConnection();
  RedisConnection(const RedisConnection&) = delete;
  RedisConnection& operator=(const RedisConnection&) = delete;

  // Connects (and selects the database); false with the reason in lastError().
  bool connect(const RedisAddress& address, std::chrono::milliseconds timeout);
  void close();
  bool connected() const { return context_ != nullptr; }
  // The socket, or -1 when closed.
  int fd() const;
  const std::string& lastError() const { return lastError_; }

  // Sends one command of binary-safe arguments and waits for its reply. An
  // I/O failure closes the connection and answers false; a Redis error reply
  // answers true with an error value.
  bool command(const std::vector<std::string>& arguments, RedisValue& reply);
  // Sends without waiting (pub/sub subscriptions).
  bool send(const std::vector<std::string>& arguments);
  // Waits up to timeout for the next pushed reply. False on I/O failure (the
  // connection is left to be closed by its owner); true with got false when
  // nothing came in time.
  bool receive(std::chrono::milliseconds timeout, RedisValue& reply, bool& got);

 private:
  bool fail(const std::string& why);

  redisContext* context_ = nullptr;
  std::string lastError_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
