// The flusher behind the log's periodic flush.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

#include "common/utils/periodic_flusher.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace {

using std::chrono::milliseconds;

// Counts task runs and lets the test wait for a number of them.
class RunCounter {
 public:
  void run() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++runs_;
    changed_.notify_all();
    if (runs_ == 1) throw std::runtime_error("a failing flush");
  }
  bool waitFor(int runs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return runs_ >= runs; });
  }
  int runs() {
    std::lock_guard<std::mutex> lock(mutex_);
    return runs_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int runs_ = 0;
};

TEST(LoggerPeriodicFlusher, KeepsRunningAfterAFailingTaskAndStopsForGood) {
  RunCounter counter;
  PeriodicFlusher flusher;
  ASSERT_TRUE(flusher.start(milliseconds(1), [&] { counter.run(); }));
  EXPECT_TRUE(counter.waitFor(3));  // the first run threw
  flusher.stop();
  const int runsAtStop = counter.runs();
  flusher.stop();  // a second stop is harmless
  // On this platform stop() joins: no run can follow it.
  EXPECT_EQ(counter.runs(), runsAtStop);
}

TEST(LoggerPeriodicFlusher, RestartReplacesTheRunningTask) {
  RunCounter first;
  RunCounter second;
  PeriodicFlusher flusher;
  ASSERT_TRUE(flusher.start(milliseconds(1), [&] { first.run(); }));
  ASSERT_TRUE(first.waitFor(1));
  ASSERT_TRUE(flusher.start(milliseconds(1), [&] { second.run(); }));
  const int firstRuns = first.runs();
  EXPECT_TRUE(second.waitFor(3));
  EXPECT_EQ(first.runs(), firstRuns);
}

}  // namespace
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
