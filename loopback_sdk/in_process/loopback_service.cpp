#include "loopback_sdk/in_process/loopback_service.h"

#include <utility>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

namespace {

std::mutex g_instanceMutex;
Service* g_instance = nullptr;

// Frees the service when the library is unloaded, unless a client the host
// never released still uses it.
struct UnloadReaper {
  ~UnloadReaper() { Service::shutdownIfIdle(); }
} g_reaper;

}  // namespace

ServiceState::~ServiceState() = default;

uint64_t ServiceState::timestamp() {
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  const uint64_t candidate = now > 0 ? static_cast<uint64_t>(now) : 0;
  lastTimestamp = candidate > lastTimestamp ? candidate : lastTimestamp + 1;
  return lastTimestamp;
}

Service& Service::instance() {
  std::lock_guard<std::mutex> lock(g_instanceMutex);
  if (!g_instance) g_instance = new Service();
  return *g_instance;
}

void Service::shutdownIfIdle() {
  std::lock_guard<std::mutex> lock(g_instanceMutex);
  if (!g_instance) return;
  {
    std::lock_guard<std::mutex> lifecycle(g_instance->lifecycleMutex_);
    if (g_instance->liveClients_ != 0) return;
  }
  delete g_instance;
  g_instance = nullptr;
}

Service::~Service() { scheduler_.stop(); }

void Service::after(std::chrono::milliseconds delay, std::function<void(ServiceState&)> task) {
  scheduler_.after(delay, [this, task = std::move(task)] { locked(task); });
}

void Service::clientCreated() {
  std::lock_guard<std::mutex> lock(lifecycleMutex_);
  if (++liveClients_ == 1) scheduler_.start();
}

void Service::clientReleased() {
  std::lock_guard<std::mutex> lock(lifecycleMutex_);
  if (liveClients_ > 0 && --liveClients_ == 0) scheduler_.stop();
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
