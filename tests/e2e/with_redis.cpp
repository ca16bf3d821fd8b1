// Runs a command beside a private redis-server, with VELMO_KIV_LOOPBACK_REDIS
// naming it, and stops the server when the command ends; exits as the
// command did. scripts/with-redis.sh runs it, so scripts start their server
// the way the tests and the Redis benchmark do.
//   with_redis COMMAND [ARGS...]
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "redis_server.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: with_redis COMMAND [ARGS...]\n");
    return 2;
  }
  loopback_test::RedisServer server;
  if (!server.start()) {
    std::fprintf(stderr,
                 "no private redis-server started (Debian: apt-get install redis-server)\n");
    return 1;
  }
  const std::string address = server.address();
  setenv("VELMO_KIV_LOOPBACK_REDIS", address.c_str(), 1);
  std::fprintf(stderr, "== redis-server on %s for:", address.c_str());
  for (int i = 1; i < argc; ++i) std::fprintf(stderr, " %s", argv[i]);
  std::fprintf(stderr, "\n");
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::perror(argv[1]);
    _exit(127);
  }
  int status = 0;
  while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  server.stop();
  if (child < 0) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
