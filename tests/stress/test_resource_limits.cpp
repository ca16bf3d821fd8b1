// Oversized input: a 50 MB parameter text, an array of a million items,
// 100,000 levels of nesting, a 1 MB token. Each call must be answered, and
// the memory it takes at its peak must stay within a small multiple of what
// parsing the input alone takes (the engine parses it once; the fake SDK
// keeps a copy of what it received; the log formats the text).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "support/engine_harness.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELMO_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VELMO_UNDER_SANITIZER 1
#endif
#endif

namespace velmo {
namespace quon {
namespace kiv {
namespace stress {
namespace {

constexpr size_t kMiB = 1024 * 1024;

// The peak resident size since the last resetPeak(), in bytes; 0 when the
// system does not tell.
size_t peakResident() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  return 0;
}

size_t currentResident() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  return 0;
}

// Makes the peak start again from the current size.
bool resetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return clear.good();
}

// How much the peak rose while fn ran.
size_t peakGrowthOf(const std::function<void()>& fn) {
  resetPeak();
  const size_t before = currentResident();
  fn();
  const size_t peak = peakResident();
  return peak > before ? peak - before : 0;
}

// True when this system reports the peak and lets it be reset.
[[maybe_unused]] bool peakMeasurable() { return resetPeak() && peakResident() > 0; }

// The library also logs to standard output; a 50 MB line there only floods
// the test log, so it goes to /dev/null while the call runs.
class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
      dup2(devNull, STDOUT_FILENO);
      close(devNull);
    }
  }
  ~QuietStdout() {
    std::fflush(stdout);
    if (saved_ >= 0) {
      dup2(saved_, STDOUT_FILENO);
      close(saved_);
    }
  }

 private:
  int saved_ = -1;
};

struct OversizedCall {
  const char* label;
  const char* api;
  std::function<std::string()> params;
  int expectedCode;
};

void PrintTo(const OversizedCall& call, std::ostream* os) { *os << call.label; }

std::string repeated(const std::string& head, const std::string& unit, size_t times,
                     const std::string& tail) {
  std::string text;
  text.reserve(head.size() + unit.size() * times + tail.size());
  text += head;
  for (size_t i = 0; i < times; ++i) text += unit;
  text += tail;
  return text;
}

std::string millionUsers() {
  std::string text =
      repeated(R"({"channelName":"ch","topic":"t","options":{"users":[)", "\"u\",", 1000000, "");
  text.back() = ']';
  return text + "}}";
}

const OversizedCall kCalls[] = {
    {"FiftyMegabyteText", "KivClient_setParameters_3a2037f",
     [] { return repeated(R"({"parameters":")", "x", 50 * kMiB, "\"}"); }, 0},
    {"FiftyMegabyteMaskedText", "KivClient_renewToken_1fa04dd",
     [] { return repeated(R"({"token":")", "t", 50 * kMiB, "\"}"); }, 0},
    {"MillionItemArray", "StreamChannel_subscribeTopic_b801234", millionUsers, 0},
    {"HundredThousandNestedArrays", "KivClient_login_1fa04dd",
     [] { return repeated(R"({"token":)", "[", 100000, "") + std::string(100000, ']') + "}"; }, -2},
    {"HundredThousandNestedObjects", "KivClient_create",
     [] {
       return repeated(R"({"config":{"logConfig":)", R"({"a":)", 100000, "1") +
              std::string(100000, '}') + "}}";
     },
     0},
    {"OneMegabyteToken", "KivClient_login_1fa04dd",
     [] { return repeated(R"({"token":")", "k", kMiB, "\"}"); }, 0},
};

class StressResourceLimits : public ::testing::TestWithParam<OversizedCall> {
 protected:
  void SetUp() override {
    ASSERT_EQ(engine_.createClient().code, 0);
    ASSERT_EQ(engine_.call("KivClient_createStreamChannel_ae3d0cf", R"({"channelName":"ch"})").code,
              0);
  }
  fake::FakeEngine engine_;
};

TEST_P(StressResourceLimits, AnsweredWithinMemoryTheInputNeeds) {
  const OversizedCall& call = GetParam();
  const std::string params = call.params();

  // What the input needs: parsing it once.
  const size_t parseGrowth = peakGrowthOf([&] {
    const auto parsed = nlohmann::json::parse(params, nullptr, /*allow_exceptions=*/false);
    ASSERT_FALSE(parsed.is_discarded());
  });

  fake::ApiReply reply{};
  const size_t callGrowth = peakGrowthOf([&] {
    QuietStdout quiet;
    reply = fake::callApi(engine_.handle(), call.api, params.c_str());
  });
  EXPECT_EQ(reply.code, call.expectedCode) << reply.result.substr(0, 200);
  EXPECT_NE(reply.result, fake::kUntouched);
  std::cout << call.label << ": text " << params.size() / kMiB << " MiB, parse peak "
            << parseGrowth / kMiB << " MiB, call peak " << callGrowth / kMiB << " MiB\n";

#ifndef VELMO_UNDER_SANITIZER
  // Sanitizer builds keep freed memory in quarantine: sizes there mean nothing.
  if (!peakMeasurable()) GTEST_SKIP() << "no resettable peak resident size in /proc";
  const size_t budget = 3 * (parseGrowth + params.size()) + 32 * kMiB;
  EXPECT_LE(callGrowth, budget) << "call peak " << callGrowth / kMiB << " MiB, input parse "
                                << parseGrowth / kMiB << " MiB, text " << params.size() / kMiB
                                << " MiB";
#else
  (void)parseGrowth;
  (void)callGrowth;
#endif
}

INSTANTIATE_TEST_SUITE_P(Oversized, StressResourceLimits, ::testing::ValuesIn(kCalls),
                         [](const ::testing::TestParamInfo<OversizedCall>& info) {
                           return std::string(info.param.label);
                         });

}  // namespace
}  // namespace stress
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
