// A C++ host's own sink, built by this project's MinGW toolchain: derived from
// the public QuonEventHandler, it receives the events of its engine, and
// DestroyQuonKivEventHandler destroys it through its own destructor.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "quon_event_handler.h"
#include "wrapper_library.h"

namespace velmo_windows_test {
namespace {

class LoginWatchingSink final : public velmo::quon::kiv::QuonEventHandler {
 public:
  LoginWatchingSink(HANDLE loginArrived, bool* destroyed)
      : loginArrived_(loginArrived), destroyed_(destroyed) {}
  ~LoginWatchingSink() override { *destroyed_ = true; }
  void OnEvent(EventParam* event) override {
    if (event && event->eventName &&
        std::strcmp(event->eventName, "KivEventHandler_onLoginResult_4f46899") == 0)
      SetEvent(loginArrived_);
  }

 private:
  HANDLE loginArrived_;
  bool* destroyed_;
};

TEST(CppHostSink, ReceivesEventsAndDestroyQuonKivEventHandlerRunsItsDestructor) {
  WrapperLibrary library;
  ASSERT_TRUE(library.ready()) << library.missing();
  const WrapperExports& api = library.api();
  HANDLE loginArrived = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(loginArrived, nullptr);
  bool destroyed = false;
  LoginWatchingSink* sink = new LoginWatchingSink(loginArrived, &destroyed);

  QuonKivEngineHandle engine = api.CreateQuonKivEngineWithProcTable(nullptr);
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(callApi(api, engine, "KivClient_create",
                    R"({"config":{"appId":"cpp-sink-app","userId":"cpp-sink-user"}})", sink)
                .code,
            0);
  EXPECT_EQ(callApi(api, engine, "KivClient_login_1fa04dd", R"({"token":"t"})").code, 0);
  EXPECT_EQ(WaitForSingleObject(loginArrived, 30000), WAIT_OBJECT_0)
      << "the login result did not reach the C++ sink";
  api.DestroyQuonKivEngine(engine);
  EXPECT_FALSE(destroyed) << "the engine destroyed a sink it does not own";

  api.DestroyQuonKivEventHandler(sink);
  EXPECT_TRUE(destroyed) << "DestroyQuonKivEventHandler did not run the sink's destructor";
  CloseHandle(loginArrived);
}

}  // namespace
}  // namespace velmo_windows_test
