// What the engine reads of the host's memory and what it lets through: the
// parameter text is read only up to its given length, logged secrets are
// masked whatever the length, and a payload length that cannot be right
// never reaches the SDK.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "modules/log_capture.h"
#include "support/engine_harness.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

// Text placed so that its last byte is the last readable one: the next page
// cannot be read, so reading one byte past the text faults.
class TextBeforeUnreadablePage {
 public:
  explicit TextBeforeUnreadablePage(const std::string& text) {
#ifdef _WIN32
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    page_ = info.dwPageSize;
    base_ = static_cast<char*>(
        VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
#else
    page_ = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    base_ = static_cast<char*>(
        mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(base_ + page_, page_, PROT_NONE);
#endif
    text_ = base_ + page_ - text.size();
    std::memcpy(text_, text.data(), text.size());
  }
  ~TextBeforeUnreadablePage() {
#ifdef _WIN32
    VirtualFree(base_, 0, MEM_RELEASE);
#else
    munmap(base_, 2 * page_);
#endif
  }
  const char* text() const { return text_; }

 private:
  size_t page_ = 0;
  char* base_ = nullptr;
  char* text_ = nullptr;
};

ApiReply callWithLength(QuonKivEngineHandle engine, const char* api, const char* params,
                        unsigned length) {
  std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE, '\0');
  ApiParam param{api, params, length, result.data(), nullptr, nullptr, 0};
  const int code = CallQuonKivApi(engine, &param);
  return {code, result.data()};
}

struct LoggedCase {
  const char* api;
  std::string params;
  unsigned length;     // bytes the host gives
  std::string logged;  // the logged parameter text
};

void PrintTo(const LoggedCase& c, std::ostream* os) { *os << c.api << " " << c.length; }

class EngineReadsOnlyWhatItIsGiven : public ::testing::TestWithParam<LoggedCase> {};

TEST_P(EngineReadsOnlyWhatItIsGiven, AndLogsExactlyThoseBytes) {
  FakeEngine engine;
  ASSERT_EQ(engine.createClient().code, 0);
  const LoggedCase& c = GetParam();
  TextBeforeUnreadablePage page(c.params);
  LogCapture log;
  callWithLength(engine.handle(), c.api, page.text(), c.length);
  EXPECT_TRUE(log.mentions("api name " + std::string(c.api) + " params \"" + c.logged + "\""));
}

const std::string kMask = "***************";

INSTANTIATE_TEST_SUITE_P(
    Names, EngineReadsOnlyWhatItIsGiven,
    ::testing::Values(LoggedCase{"KivClient_logout_90386a9", "{}", 2, "{}"},
                      LoggedCase{"KivClient_logout_90386a9", "{}", 0, ""},
                      LoggedCase{"NoModule_x", R"({"a":1})", 7, R"({"a":1})"},
                      LoggedCase{"KivClient_login_1fa04dd", R"({"token":"abcdefghij"})", 22,
                                 R"({"token":"abcd)" + kMask + R"(ghij"})"},
                      LoggedCase{"KivClient_login_1fa04dd", R"({"token":"abcdefghij"})", 0, ""},
                      LoggedCase{"KivClient_create", R"({"config":{"appId":"app-one"}})", 0, ""},
                      LoggedCase{"KivClient_renewToken_1fa04dd", R"({"token":"abcdefghij"})", 14,
                                 R"({"token":")" + kMask}),
    [](const auto& info) { return std::to_string(info.index); });

// ---- payload lengths ---------------------------------------------------------

struct LengthCase {
  const char* label;
  const char* length;  // the JSON number
  bool withLengths;    // bufferLengths given
  int code;
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.label; }

class PayloadLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(PayloadLength, IsCheckedBeforeTheSdkIsCalled) {
  FakeEngine engine;
  ASSERT_EQ(engine.createClient().code, 0);
  ASSERT_EQ(engine.call("KivClient_createStreamChannel_ae3d0cf", R"({"channelName":"ch"})").code,
            0);
  char payload[] = "abc";
  void* buffers[] = {payload};
  unsigned lengths[] = {3};
  const std::string publish = std::string(R"({"channelName":"ch","topic":"t","option":{},)") +
                              R"("length":)" + GetParam().length + "}";
  for (const char* api :
       {"KivClient_publish_2d36e93", "StreamChannel_publishTopicMessage_a31773e"}) {
    engine.sdk().clearCalls();
    std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE, '\0');
    ApiParam param{api,
                   publish.c_str(),
                   static_cast<unsigned>(publish.size()),
                   result.data(),
                   buffers,
                   GetParam().withLengths ? lengths : nullptr,
                   1};
    EXPECT_EQ(CallQuonKivApi(engine.handle(), &param), GetParam().code) << api;
    EXPECT_EQ(engine.sdk().callCount(), GetParam().code == 0 ? 1u : 0u) << api;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PayloadLength,
                         ::testing::Values(LengthCase{"negative", "-1", false, -2},
                                           LengthCase{"negative fraction", "-0.5", false, -2},
                                           LengthCase{"above the buffer", "4", true, -2},
                                           LengthCase{"within the buffer in the low 32 bits",
                                                      "4294967298", true, 0},
                                           LengthCase{"the whole buffer", "3", true, 0},
                                           LengthCase{"less than the buffer", "2", true, 0},
                                           LengthCase{"no lengths given", "4", false, 0}),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
