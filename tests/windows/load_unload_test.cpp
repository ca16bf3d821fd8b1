// Loading and freeing the DLL repeatedly, with the library's log started at
// load and shut down at unload, both under the loader lock. A shutdown that
// waits for a thread there deadlocks (the ctest time-out fails it); one that
// leaves a thread running in freed code crashes; one that does not close the
// log leaves the file open.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "wrapper_library.h"

namespace velmo_windows_test {
namespace {

constexpr int kRounds = 20;

// Counts the events that reach the sink, on whatever thread delivers them.
struct EventCounter {
  static void QUON_CALL onEvent(EventParam* event) {
    if (!event || !event->eventName) return;
    std::lock_guard<std::mutex> lock(mutex);
    ++count;
    arrived.notify_all();
  }
  static bool waitForAny(int seenBefore) {
    std::unique_lock<std::mutex> lock(mutex);
    return arrived.wait_for(lock, std::chrono::seconds(30), [&] { return count > seenBefore; });
  }
  static int seen() {
    std::lock_guard<std::mutex> lock(mutex);
    return count;
  }
  static std::mutex mutex;
  static std::condition_variable arrived;
  static int count;
};
std::mutex EventCounter::mutex;
std::condition_variable EventCounter::arrived;
int EventCounter::count = 0;

// One host session: an engine with an SDK client and a sink, a few calls,
// an event on the SDK's thread, then everything released in order.
void runSession(const WrapperExports& api) {
  QuonKivEngineHandle engine = api.CreateQuonKivEngineWithProcTable(nullptr);
  ASSERT_NE(engine, nullptr);
  HostEventCallbacks callbacks = {&EventCounter::onEvent};
  QuonEventHandlerHandle sink = api.CreateQuonKivEventHandler(&callbacks);
  ASSERT_NE(sink, nullptr);

  EXPECT_EQ(callApi(api, engine, "KivNothing_call", "{}").code, -4);
  const CallOutcome created =
      callApi(api, engine, "KivClient_create",
              R"({"config":{"appId":"load-loop-app","userId":"load-loop-user"}})", sink);
  EXPECT_EQ(created.code, 0) << created.result;
  if (created.code == 0) {
    const int before = EventCounter::seen();
    EXPECT_EQ(callApi(api, engine, "KivClient_login_1fa04dd", R"({"token":"t"})").code, 0);
    EXPECT_TRUE(EventCounter::waitForAny(before)) << "no event from the SDK's thread";
    EXPECT_EQ(callApi(api, engine, "KivClient_release", "").code, 0);
  }
  api.DestroyQuonKivEngine(engine);
  api.DestroyQuonKivEventHandler(sink);
}

TEST(LoadUnload, TwentyRoundsEachWriteAndCloseTheirLog) {
  const std::wstring log = defaultLogFile();
  ASSERT_FALSE(log.empty());
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    DeleteFileW(log.c_str());  // each round starts a new file; absent is fine
    {
      WrapperLibrary library;
      ASSERT_TRUE(library.ready()) << library.missing();
      runSession(library.api());
      ASSERT_TRUE(library.unload());
    }
    // Really gone, the SDK it imports included: nothing kept them loaded.
    EXPECT_EQ(GetModuleHandleW(kWrapperDll), nullptr);
    EXPECT_EQ(GetModuleHandleW(kSdkDll), nullptr);

    // The unload flushed the file: this round's first and last lines are there.
    const std::string text = readFile(log);
    EXPECT_NE(text.find("reset logger to "), std::string::npos) << text;
    EXPECT_NE(text.find("api name KivNothing_call"), std::string::npos) << text;
    // ...and closed it: an open file cannot be deleted.
    EXPECT_TRUE(DeleteFileW(log.c_str()))
        << "log still open after unload, error " << GetLastError();
    if (HasFatalFailure()) return;
  }
}

TEST(DefaultLogLocation, WithNoCallTheLogIsUnderLocalAppDataVelmoAndTheProgramName) {
  const std::wstring log = defaultLogFile();
  ASSERT_FALSE(log.empty());
  DeleteFileW(log.c_str());
  {
    WrapperLibrary library;
    ASSERT_TRUE(library.ready()) << library.missing();
    ASSERT_TRUE(library.unload());
  }
  const std::string text = readFile(log);
  ASSERT_FALSE(text.empty()) << "no log at " << toAnsi(log);

  // The first two lines: where the log is, then the version line.
  const size_t firstEnd = text.find('\n');
  ASSERT_NE(firstEnd, std::string::npos) << text;
  const std::string first = text.substr(0, firstEnd);
  const std::string second = text.substr(firstEnd + 1, text.find('\n', firstEnd + 1) - firstEnd);
  EXPECT_NE(first.find("reset logger to " + toAnsi(log)), std::string::npos) << first;
  EXPECT_NE(second.find("quon version: "), std::string::npos) << second;
}

}  // namespace
}  // namespace velmo_windows_test
