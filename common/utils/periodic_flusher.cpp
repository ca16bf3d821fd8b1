#include "common/utils/periodic_flusher.h"

#include <utility>

#if defined(_WIN32)
#include <windows.h>

#include <atomic>
#else
#include <system_error>
#endif

namespace velmo {
namespace quon {
namespace kiv {

PeriodicFlusher::PeriodicFlusher() = default;

PeriodicFlusher::~PeriodicFlusher() { stop(); }

namespace {

// A failed flush must not end the process; the next period retries.
void runGuarded(const std::function<void()>& task) noexcept {
  try {
    task();
  } catch (...) {
  }
}

}  // namespace

#if defined(_WIN32)

struct PeriodicFlusher::Timer {
  std::function<void()> task;
  // A callback that finds the previous one still running skips its turn, so
  // the task never runs twice at once.
  std::atomic_flag running = ATOMIC_FLAG_INIT;
  PTP_TIMER handle = nullptr;

  static VOID CALLBACK onTick(PTP_CALLBACK_INSTANCE, PVOID context, PTP_TIMER) {
    auto* timer = static_cast<Timer*>(context);
    if (timer->running.test_and_set()) return;
    runGuarded(timer->task);
    timer->running.clear();
  }
};

bool PeriodicFlusher::start(std::chrono::milliseconds period, std::function<void()> task) {
  stop();
  std::unique_ptr<Timer> timer;
  try {
    timer.reset(new Timer);
    timer->task = std::move(task);
  } catch (...) {
    return false;
  }
  // No SetThreadpoolCallbackLibrary: the callbacks are waited for in stop(),
  // and that call would keep the DLL from unloading under Wine.
  timer->handle = CreateThreadpoolTimer(&Timer::onTick, timer.get(), nullptr);
  if (timer->handle == nullptr) return false;
  const DWORD periodMs = static_cast<DWORD>(period.count() > 0 ? period.count() : 1);
  // A negative due time is relative, in 100-nanosecond units.
  ULARGE_INTEGER due;
  due.QuadPart = static_cast<ULONGLONG>(-static_cast<LONGLONG>(periodMs) * 10000);
  FILETIME dueTime;
  dueTime.dwLowDateTime = due.LowPart;
  dueTime.dwHighDateTime = due.HighPart;
  SetThreadpoolTimer(timer->handle, &dueTime, periodMs, 0);
  timer_ = std::move(timer);
  return true;
}

void PeriodicFlusher::stop() noexcept {
  if (!timer_) return;
  // No new ticks, pending ones cancelled, a running one waited for: then no
  // callback can touch the timer or run code of this DLL any more.
  SetThreadpoolTimer(timer_->handle, nullptr, 0, 0);
  WaitForThreadpoolTimerCallbacks(timer_->handle, TRUE);
  CloseThreadpoolTimer(timer_->handle);
  timer_.reset();
}

#else

bool PeriodicFlusher::start(std::chrono::milliseconds period, std::function<void()> task) {
  stop();
  auto state = std::make_shared<State>();
  try {
    thread_ = std::thread([state, period, task = std::move(task)] {
      // The task runs with the mutex held, so stop() waits for a task in
      // progress and the task never runs after stop() has returned.
      std::unique_lock<std::mutex> lock(state->mutex);
      while (!state->wake.wait_for(lock, period, [&] { return state->stopping; })) {
        runGuarded(task);
      }
    });
  } catch (const std::system_error&) {
    return false;
  }
  state_ = std::move(state);
  return true;
}

void PeriodicFlusher::stop() noexcept {
  if (!state_) return;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_all();
  if (thread_.joinable()) {
    try {
      thread_.join();
    } catch (const std::system_error&) {
      // Only when called from the task itself; the thread sees the flag and ends.
      thread_.detach();
    }
  }
  state_.reset();
}

#endif

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
