// Messages from one process to another through the stand-in SDK on Redis:
// rate and latency (median, 99th percentile), beside Redis's own
// publish/subscribe measured the same way in the same run (one round trip
// per publish, a subscriber in another process) and the in-process service.
//   velmo_redis_bench [MESSAGES] [BYTES]
// Uses the server named by VELMO_KIV_LOOPBACK_REDIS, or starts redis-server
// on a free port. Each receiver runs as this program in another process.
#include <hiredis/hiredis.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "redis_server.h"
#include "velmo_kiv_sdk/velmo_kiv_sdk.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC: one clock for every process here

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

std::string payloadNow(size_t bytes) {
  std::string payload(std::max<size_t>(bytes, 8), 'x');
  const int64_t now = nowNs();
  std::memcpy(&payload[0], &now, sizeof now);
  return payload;
}

int64_t sentAt(const char* data, size_t length) {
  int64_t sent = 0;
  if (length >= sizeof sent) std::memcpy(&sent, data, sizeof sent);
  return sent;
}

// Latencies of received messages and the time the last one came.
struct Arrivals {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int64_t> latencies;
  int64_t last = 0;

  void add(int64_t sent) {
    const int64_t now = nowNs();
    std::lock_guard<std::mutex> lock(mutex);
    latencies.push_back(now - sent);
    last = now;
    changed.notify_all();
  }
  bool waitFor(size_t count, std::chrono::seconds timeout) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return latencies.size() >= count; });
  }
};

class Receiver : public velmo::kiv::IKivEventHandler {
 public:
  explicit Receiver(Arrivals& arrivals) : arrivals_(arrivals) {}
  void onMessageEvent(const velmo::kiv::MessageEvent& event) override {
    arrivals_.add(sentAt(event.message, event.messageLength));
  }
  void onLoginResult(uint64_t, int code) override { done(code); }
  void onSubscribeResult(uint64_t, const char*, int code) override { done(code); }
  int wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [&] { return answered_; });
    answered_ = false;
    return code_;
  }

 private:
  void done(int code) {
    std::lock_guard<std::mutex> lock(mutex_);
    code_ = code;
    answered_ = true;
    changed_.notify_all();
  }
  Arrivals& arrivals_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool answered_ = false;
  int code_ = -1;
};

struct User {
  Arrivals arrivals;
  Receiver handler{arrivals};
  velmo::kiv::IKivClient* client = nullptr;

  explicit User(const char* userId) {
    velmo::kiv::KivConfig config;
    config.appId = "bench";
    config.userId = userId;
    config.eventHandler = &handler;
    int error = 0;
    client = createKivClient(&config, &error);
    if (!client) throw std::runtime_error("createKivClient failed: " + std::to_string(error));
    uint64_t id = 0;
    client->login("token", id);
    if (handler.wait() != 0) throw std::runtime_error("login failed");
  }
  void subscribe() {
    uint64_t id = 0;
    velmo::kiv::SubscribeOptions options;
    options.withMessage = true;
    client->subscribe("bench", options, id);
    if (handler.wait() != 0) throw std::runtime_error("subscribe failed");
  }
  void publish(size_t bytes) {
    const std::string payload = payloadNow(bytes);
    velmo::kiv::PublishOptions options;
    uint64_t id = 0;
    client->publish("bench", payload.data(), payload.size(), options, id);
  }
  ~User() {
    if (client) client->release();
  }
};

struct Row {
  std::string name;
  size_t received = 0;
  double rate = 0;
  double medianUs = 0;
  double p99Us = 0;
};

Row summarise(const std::string& name, std::vector<int64_t> latencies, int64_t first,
              int64_t last) {
  Row row{name, latencies.size()};
  if (latencies.empty()) return row;
  std::sort(latencies.begin(), latencies.end());
  row.rate = last > first ? latencies.size() * 1e9 / static_cast<double>(last - first) : 0;
  row.medianUs = latencies[latencies.size() / 2] / 1000.0;
  row.p99Us = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)] / 1000.0;
  return row;
}

// --- the receiving process: prints "ready", then one line of results ------
int receive(const std::string& mode, size_t count) {
  Arrivals* arrivals = nullptr;
  std::unique_ptr<User> user;
  redisContext* redis = nullptr;
  if (mode == "stand-in") {
    user = std::make_unique<User>("receiver");
    user->subscribe();
    arrivals = &user->arrivals;
  } else {
    const char* address = std::getenv("VELMO_KIV_LOOPBACK_REDIS");
    const std::string text = address;
    const size_t colon = text.rfind(':');
    redis = redisConnect(text.substr(0, colon).c_str(), std::atoi(text.c_str() + colon + 1));
    if (!redis || redis->err) return 1;
    freeReplyObject(redisCommand(redis, "SUBSCRIBE bench-raw"));
  }
  std::printf("ready\n");
  std::fflush(stdout);
  std::vector<int64_t> rawLatencies;
  int64_t rawLast = 0;
  if (redis) {
    while (rawLatencies.size() < count) {
      void* reply = nullptr;
      if (redisGetReply(redis, &reply) != REDIS_OK) break;
      auto* message = static_cast<redisReply*>(reply);
      if (message->type == REDIS_REPLY_ARRAY && message->elements == 3) {
        const int64_t now = nowNs();
        rawLatencies.push_back(now - sentAt(message->element[2]->str, message->element[2]->len));
        rawLast = now;
      }
      freeReplyObject(reply);
    }
    redisFree(redis);
  } else {
    arrivals->waitFor(count, std::chrono::seconds(60));
  }
  std::vector<int64_t> latencies = redis ? rawLatencies : arrivals->latencies;
  const int64_t last = redis ? rawLast : arrivals->last;
  std::printf("%zu %lld", latencies.size(), static_cast<long long>(last));
  for (int64_t latency : latencies) std::printf(" %lld", static_cast<long long>(latency));
  std::printf("\n");
  return 0;
}

// Runs this program as a receiver; its standard output comes back through a pipe.
struct ReceiverProcess {
  pid_t pid = -1;
  FILE* output = nullptr;

  ReceiverProcess(const std::string& mode, size_t count) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string countText = std::to_string(count);
    std::vector<char*> argv{const_cast<char*>("/proc/self/exe"), const_cast<char*>("--receive"),
                            const_cast<char*>(mode.c_str()), const_cast<char*>(countText.c_str()),
                            nullptr};
    if (posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ) != 0)
      throw std::runtime_error("spawn");
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    output = fdopen(fds[0], "r");
    char line[64] = {};
    if (!std::fgets(line, sizeof line, output) || std::strncmp(line, "ready", 5) != 0)
      throw std::runtime_error("receiver did not start");
  }
  Row finish(const std::string& name, int64_t first) {
    unsigned long long received = 0;
    long long last = 0;
    std::vector<int64_t> latencies;
    if (std::fscanf(output, "%llu %lld", &received, &last) == 2) {
      for (unsigned long long i = 0; i < received; ++i) {
        long long latency = 0;
        if (std::fscanf(output, " %lld", &latency) != 1) break;
        latencies.push_back(latency);
      }
    }
    std::fclose(output);
    waitpid(pid, nullptr, 0);
    return summarise(name, std::move(latencies), first, last);
  }
};

Row rawRedis(const std::string& address, size_t count, size_t bytes) {
  ReceiverProcess receiver("raw", count);
  const size_t colon = address.rfind(':');
  redisContext* redis =
      redisConnect(address.substr(0, colon).c_str(), std::atoi(address.c_str() + colon + 1));
  const int64_t first = nowNs();
  for (size_t i = 0; i < count; ++i) {
    const std::string payload = payloadNow(bytes);
    freeReplyObject(redisCommand(redis, "PUBLISH bench-raw %b", payload.data(), payload.size()));
  }
  redisFree(redis);
  return receiver.finish("Redis PUBLISH/SUBSCRIBE, hiredis loop", first);
}

Row standInOnRedis(size_t count, size_t bytes) {
  ReceiverProcess receiver("stand-in", count);
  User sender("sender");
  const int64_t first = nowNs();
  for (size_t i = 0; i < count; ++i) sender.publish(bytes);
  return receiver.finish("stand-in on Redis, two processes", first);
}

Row standInInProcess(size_t count, size_t bytes) {
  unsetenv("VELMO_KIV_LOOPBACK_REDIS");
  User receiver("receiver");
  receiver.subscribe();
  User sender("sender");
  const int64_t first = nowNs();
  for (size_t i = 0; i < count; ++i) sender.publish(bytes);
  receiver.arrivals.waitFor(count, std::chrono::seconds(60));
  std::lock_guard<std::mutex> lock(receiver.arrivals.mutex);
  return summarise("stand-in in-process, one process", receiver.arrivals.latencies, first,
                   receiver.arrivals.last);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 4 && std::string(argv[1]) == "--receive")
      return receive(argv[2], std::strtoull(argv[3], nullptr, 10));
    const size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20000;
    const size_t bytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 64;
    loopback_test::RedisServer server;
    std::string address;
    if (const char* given = std::getenv("VELMO_KIV_LOOPBACK_REDIS"); given && *given) {
      address = given;
    } else {
      if (!server.start()) throw std::runtime_error("redis-server did not start");
      address = server.address();
      setenv("VELMO_KIV_LOOPBACK_REDIS", address.c_str(), 1);
    }
    std::vector<Row> rows{rawRedis(address, count, bytes), standInOnRedis(count, bytes),
                          standInInProcess(count, bytes)};
    server.stop();
    std::printf("%zu messages of %zu bytes, Redis at %s\n", count, bytes, address.c_str());
    std::printf("%-40s %10s %12s %12s %12s\n", "path", "received", "messages/s", "median us",
                "p99 us");
    for (const Row& row : rows)
      std::printf("%-40s %10zu %12.0f %12.1f %12.1f\n", row.name.c_str(), row.received, row.rate,
                  row.medianUs, row.p99Us);
    if (rows[0].rate > 0)
      std::printf("stand-in on Redis / Redis's own rate: %.2f\n", rows[1].rate / rows[0].rate);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "velmo_redis_bench: %s\n", error.what());
    return 1;
  }
}
