#include "redis_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

namespace loopback_test {

namespace {

bool answers(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (ok) {
    const char ping[] = "PING\r\n";
    char reply[8] = {};
    ok = write(fd, ping, sizeof ping - 1) == sizeof ping - 1 && read(fd, reply, 5) == 5 &&
         std::string(reply, 5) == "+PONG";
  }
  close(fd);
  return ok;
}

}  // namespace

int freePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(fd);
  return port;
}

RedisServer::RedisServer(bool keepData) : port_(freePort()) {
  if (!keepData) return;
  char folder[] = "/tmp/velmo-redis-XXXXXX";
  if (mkdtemp(folder)) dataFolder_ = folder;
}

RedisServer::~RedisServer() {
  stop();
  std::error_code ignored;
  if (!dataFolder_.empty()) std::filesystem::remove_all(dataFolder_, ignored);
}

bool RedisServer::start() {
  if (pid_ > 0) return true;
  const std::string port = std::to_string(port_);
  // The settings every private server shares; the port and persistence here.
  std::vector<std::string> arguments{"redis-server", VELMO_PRIVATE_REDIS_CONF, "--port", port};
  if (!dataFolder_.empty()) {
    // Every write reaches the file before its answer, so a SIGKILL loses nothing.
    arguments.insert(arguments.end(),
                     {"--appendonly", "yes", "--appendfsync", "always", "--dir", dataFolder_});
  }
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    // The server dies with the test process (even one that crashed), and
    // does not hold the test's output open, which CTest would wait on.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int quiet = open("/dev/null", O_RDWR);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  for (int i = 0; i < 100; ++i) {
    if (answers(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  stop();
  return false;
}

void RedisServer::stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace loopback_test
