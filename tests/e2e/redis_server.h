// A private redis-server for the tests: started on 127.0.0.1 at a free port,
// stopped (and startable again on the same port) on demand.
#pragma once

#include <sys/types.h>

#include <string>

namespace loopback_test {

class RedisServer {
 public:
  // keepData: the data outlives a stop (an append-only file in a folder of
  // its own), as on a server that persists it.
  explicit RedisServer(bool keepData = false);
  ~RedisServer();
  // False when redis-server could not be started or did not answer in time.
  bool start();
  void stop();
  int port() const { return port_; }
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int port_ = 0;
  pid_t pid_ = -1;
  std::string dataFolder_;
};

// A TCP port on 127.0.0.1 that nothing listens on right now.
int freePort();

}  // namespace loopback_test
