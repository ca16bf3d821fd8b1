// Runs the stand-in's behaviour suite on its Redis backend: every test
// process starts a redis-server of its own and points the stand-in at it,
// unless VELMO_KIV_LOOPBACK_REDIS already names one.
#include <gtest/gtest.h>

#include <cstdlib>

#include "redis_server.h"

namespace loopback_test {
namespace {

class RedisBackend : public ::testing::Environment {
 public:
  void SetUp() override {
    // A server named by the caller is used as it is (to watch it with redis-cli monitor).
    const char* given = std::getenv("VELMO_KIV_LOOPBACK_REDIS");
    if (given && *given) return;
    ASSERT_TRUE(server_.start()) << "redis-server did not start on port " << server_.port();
    setenv("VELMO_KIV_LOOPBACK_REDIS", server_.address().c_str(), 1);
  }
  void TearDown() override { server_.stop(); }

 private:
  RedisServer server_;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new RedisBackend);

}  // namespace
}  // namespace loopback_test
