#include "loopback_sdk/redis/redis_connection.h"

#include <dlfcn.h>
#include <hiredis/hiredis.h>
#include <poll.h>

#include <cstdlib>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

namespace {

RedisValue convert(const redisReply* reply) {
  RedisValue value;
  if (!reply) return value;
  switch (reply->type) {
    case REDIS_REPLY_STRING:
      value.kind = RedisValue::Kind::kString;
      value.text.assign(reply->str, reply->len);
      break;
    case REDIS_REPLY_STATUS:
      value.kind = RedisValue::Kind::kStatus;
      value.text.assign(reply->str, reply->len);
      break;
    case REDIS_REPLY_ERROR:
      value.kind = RedisValue::Kind::kError;
      value.text.assign(reply->str, reply->len);
      break;
    case REDIS_REPLY_INTEGER:
      value.kind = RedisValue::Kind::kInteger;
      value.integer = reply->integer;
      break;
    case REDIS_REPLY_ARRAY:
      value.kind = RedisValue::Kind::kArray;
      for (size_t i = 0; i < reply->elements; ++i)
        value.items.push_back(convert(reply->element[i]));
      break;
    default:
      break;
  }
  return value;
}

// hiredis is loaded when the backend is first used, so the stand-in itself
// needs no hiredis on a machine that never picks Redis.
struct Hiredis {
  decltype(&redisConnectWithTimeout) connectWithTimeout = nullptr;
  decltype(&redisSetTimeout) setTimeout = nullptr;
  decltype(&redisFree) free = nullptr;
  decltype(&redisCommandArgv) commandArgv = nullptr;
  decltype(&redisAppendCommandArgv) appendCommandArgv = nullptr;
  decltype(&redisBufferWrite) bufferWrite = nullptr;
  decltype(&redisBufferRead) bufferRead = nullptr;
  decltype(&redisGetReplyFromReader) getReplyFromReader = nullptr;
  decltype(&freeReplyObject) freeReply = nullptr;
  bool loaded = false;
};

template <class Fn>
bool bind(void* library, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(dlsym(library, name));
  return fn != nullptr;
}

// Null when no hiredis library can be loaded.
const Hiredis* hiredis() {
  static const Hiredis api = [] {
    Hiredis found;
    void* library = nullptr;
    for (const char* name : {"libhiredis.so.0.14", "libhiredis.so.1.1.0", "libhiredis.so"})
      if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL))) break;
    found.loaded = library && bind(library, "redisConnectWithTimeout", found.connectWithTimeout) &&
                   bind(library, "redisSetTimeout", found.setTimeout) &&
                   bind(library, "redisFree", found.free) &&
                   bind(library, "redisCommandArgv", found.commandArgv) &&
                   bind(library, "redisAppendCommandArgv", found.appendCommandArgv) &&
                   bind(library, "redisBufferWrite", found.bufferWrite) &&
                   bind(library, "redisBufferRead", found.bufferRead) &&
                   bind(library, "redisGetReplyFromReader", found.getReplyFromReader) &&
                   bind(library, "freeReplyObject", found.freeReply);
    return found;
  }();
  return api.loaded ? &api : nullptr;
}

struct ReplyDeleter {
  void operator()(void* reply) const { hiredis()->freeReply(reply); }
};
using ReplyPtr = std::unique_ptr<void, ReplyDeleter>;

}  // namespace

bool parseRedisAddress(const std::string& text, RedisAddress& address, std::string* why) {
  auto refuse = [why](const char* reason) {
    if (why) *why = reason;
    return false;
  };
  std::string rest = text;
  const std::string scheme = "redis://";
  if (rest.compare(0, scheme.size(), scheme) == 0) rest = rest.substr(scheme.size());
  RedisAddress parsed;
  const size_t slash = rest.find('/');
  if (slash != std::string::npos) {
    const std::string db = rest.substr(slash + 1);
    rest = rest.substr(0, slash);
    if (!db.empty()) {
      char* end = nullptr;
      const long n = std::strtol(db.c_str(), &end, 10);
      if (*end || n < 0 || n > 1000)
        return refuse("the part after '/' is not a database number from 0 to 1000");
      parsed.database = static_cast<int>(n);
    }
  }
  const size_t colon = rest.rfind(':');
  if (colon != std::string::npos) {
    char* end = nullptr;
    const char* digits = rest.c_str() + colon + 1;
    const long port = std::strtol(digits, &end, 10);
    if (end == digits || *end || port <= 0 || port > 65535)
      return refuse("the part after ':' is not a port from 1 to 65535");
    parsed.port = static_cast<int>(port);
    rest = rest.substr(0, colon);
  }
  if (!rest.empty()) parsed.host = rest;
  address = parsed;
  return true;
}

RedisConnection::~RedisConnection() { close(); }

int RedisConnection::fd() const { return context_ ? context_->fd : -1; }

void RedisConnection::close() {
  if (context_) hiredis()->free(context_);
  context_ = nullptr;
}

bool RedisConnection::fail(const std::string& why) {
  lastError_ = why;
  close();
  return false;
}

bool RedisConnection::connect(const RedisAddress& address, std::chrono::milliseconds timeout) {
  close();
  timeval tv{static_cast<time_t>(timeout.count() / 1000),
             static_cast<suseconds_t>((timeout.count() % 1000) * 1000)};
  const Hiredis* api = hiredis();
  if (!api) return fail("hiredis not found (Debian: libhiredis0.14)");
  context_ = api->connectWithTimeout(address.host.c_str(), address.port, tv);
  if (!context_) return fail("out of memory");
  if (context_->err) return fail(context_->errstr);
  // Commands wait at most this long too, so a server that stops answering
  // counts as a lost connection rather than a hung caller.
  api->setTimeout(context_, tv);
  if (address.database != 0) {
    RedisValue reply;
    if (!command({"SELECT", std::to_string(address.database)}, reply)) return false;
    if (reply.isError()) return fail(reply.text);
  }
  return true;
}

bool RedisConnection::command(const std::vector<std::string>& arguments, RedisValue& reply) {
  if (!context_) return fail(lastError_.empty() ? "not connected" : lastError_);
  std::vector<const char*> argv;
  std::vector<size_t> lengths;
  for (const std::string& argument : arguments) {
    argv.push_back(argument.data());
    lengths.push_back(argument.size());
  }
  ReplyPtr raw(
      hiredis()->commandArgv(context_, static_cast<int>(argv.size()), argv.data(), lengths.data()));
  if (!raw) return fail(context_->errstr[0] ? context_->errstr : "connection lost");
  reply = convert(static_cast<redisReply*>(raw.get()));
  return true;
}

bool RedisConnection::send(const std::vector<std::string>& arguments) {
  if (!context_) return false;
  std::vector<const char*> argv;
  std::vector<size_t> lengths;
  for (const std::string& argument : arguments) {
    argv.push_back(argument.data());
    lengths.push_back(argument.size());
  }
  if (hiredis()->appendCommandArgv(context_, static_cast<int>(argv.size()), argv.data(),
                                   lengths.data()) != REDIS_OK)
    return fail(context_->errstr);
  int done = 0;
  while (!done)
    if (hiredis()->bufferWrite(context_, &done) != REDIS_OK) return fail(context_->errstr);
  return true;
}

bool RedisConnection::receive(std::chrono::milliseconds timeout, RedisValue& reply, bool& got) {
  // A failed read leaves the context for its owner to close under its own
  // lock: another thread may be looking at it (to shut the socket down).
  auto broken = [this] {
    lastError_ = context_->errstr;
    return false;
  };
  got = false;
  if (!context_) return false;
  void* raw = nullptr;
  const Hiredis* api = hiredis();
  if (api->getReplyFromReader(context_, &raw) != REDIS_OK) return broken();
  if (!raw) {
    // Nothing buffered: wait for the socket, then read what arrived.
    pollfd fd{context_->fd, POLLIN, 0};
    const int ready = poll(&fd, 1, static_cast<int>(timeout.count()));
    if (ready < 0) return true;  // interrupted: the caller asks again
    if (ready == 0) return true;
    if (api->bufferRead(context_) != REDIS_OK) return broken();
    if (api->getReplyFromReader(context_, &raw) != REDIS_OK) return broken();
    if (!raw) return true;
  }
  ReplyPtr owned(raw);
  reply = convert(static_cast<redisReply*>(raw));
  got = true;
  return true;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
