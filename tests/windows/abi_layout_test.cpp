// The records' layout on the 32-bit target, checked twice: by the compiler
// against the header, and at run time against what the DLL reads, by
// handing it a record assembled byte by byte at the documented offsets.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "wrapper_library.h"

namespace velmo_windows_test {
namespace {

static_assert(sizeof(void*) == 4, "the Windows DLL is a 32-bit one");

static_assert(sizeof(ApiParam) == 28, "ApiParam is seven 4-byte fields");
static_assert(offsetof(ApiParam, apiName) == 0, "ApiParam layout");
static_assert(offsetof(ApiParam, params) == 4, "ApiParam layout");
static_assert(offsetof(ApiParam, paramsLength) == 8, "ApiParam layout");
static_assert(offsetof(ApiParam, resultBuffer) == 12, "ApiParam layout");
static_assert(offsetof(ApiParam, buffers) == 16, "ApiParam layout");
static_assert(offsetof(ApiParam, bufferLengths) == 20, "ApiParam layout");
static_assert(offsetof(ApiParam, bufferCount) == 24, "ApiParam layout");

static_assert(sizeof(EventParam) == 28, "EventParam is seven 4-byte fields");
static_assert(offsetof(EventParam, eventName) == 0, "EventParam layout");
static_assert(offsetof(EventParam, data) == 4, "EventParam layout");
static_assert(offsetof(EventParam, dataLength) == 8, "EventParam layout");
static_assert(offsetof(EventParam, resultBuffer) == 12, "EventParam layout");
static_assert(offsetof(EventParam, buffers) == 16, "EventParam layout");
static_assert(offsetof(EventParam, bufferLengths) == 20, "EventParam layout");
static_assert(offsetof(EventParam, bufferCount) == 24, "EventParam layout");

static_assert(sizeof(HostEventCallbacks) == 4, "HostEventCallbacks holds one function pointer");
static_assert(sizeof(KivProcTable) == 4, "KivProcTable holds one function pointer");

// A call record laid out by hand: seven 32-bit slots at offsets 0, 4, ..., 24.
class RawApiRecord {
 public:
  void set(size_t offset, uint32_t value) { std::memcpy(bytes_ + offset, &value, sizeof value); }
  void set(size_t offset, const void* pointer) {
    set(offset, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)));
  }
  ApiParam* record() { return reinterpret_cast<ApiParam*>(bytes_); }

 private:
  alignas(4) unsigned char bytes_[28] = {};
};

struct RawCallCase {
  const char* label;
  const char* apiName;
  const char* text;       // passed at offset 4
  uint32_t paramsLength;  // offset 8
  bool withBuffers;       // a non-null array at offset 16
  uint32_t bufferCount;   // offset 24
  int expectedCode;
};

std::ostream& operator<<(std::ostream& out, const RawCallCase& c) { return out << c.label; }

class RawRecordLayout : public ::testing::TestWithParam<RawCallCase> {
 protected:
  void SetUp() override { ASSERT_TRUE(library_.ready()) << library_.missing(); }
  WrapperLibrary library_;
};

// The engine has no SDK client, so a well-formed call ends at -7; -2 shows
// that the DLL read the length or the buffer slots where they are meant to be.
TEST_P(RawRecordLayout, DllReadsEachFieldAtItsOffset) {
  const RawCallCase& c = GetParam();
  const WrapperExports& api = library_.api();
  QuonKivEngineHandle engine = api.CreateQuonKivEngine(nullptr);
  ASSERT_NE(engine, nullptr);

  std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE, 'X');
  void* payload[1] = {result.data()};
  unsigned int lengths[1] = {1};
  RawApiRecord raw;
  raw.set(0, c.apiName);
  raw.set(4, c.text);
  raw.set(8, c.paramsLength);
  raw.set(12, result.data());
  raw.set(16, c.withBuffers ? static_cast<const void*>(payload) : nullptr);
  raw.set(20, lengths);
  raw.set(24, c.bufferCount);

  EXPECT_EQ(api.CallQuonKivApi(engine, raw.record()), c.expectedCode);
  if (c.expectedCode == -7) {
    // The result went to the buffer at offset 12, NUL-terminated.
    EXPECT_NE(std::memchr(result.data(), '\0', result.size()), nullptr);
  }
  api.DestroyQuonKivEngine(engine);
}

// The parameter text is followed by bytes that are not JSON: only the first
// paramsLength bytes may be parsed.
constexpr char kLoginText[] = "{\"token\":\"t\"}, not json";
constexpr uint32_t kLoginJsonLength = 13;
constexpr char kPublishText[] = "{\"channelName\":\"c\",\"length\":1}";

INSTANTIATE_TEST_SUITE_P(
    Windows, RawRecordLayout,
    ::testing::Values(RawCallCase{"length_at_8_bounds_the_text", "KivClient_login_1fa04dd",
                                  kLoginText, kLoginJsonLength, false, 0, -7},
                      RawCallCase{"text_past_length_is_not_json", "KivClient_login_1fa04dd",
                                  kLoginText, sizeof kLoginText - 1, false, 0, -2},
                      RawCallCase{"count_at_24_with_array_at_16", "KivClient_publish_2d36e93",
                                  kPublishText, sizeof kPublishText - 1, true, 1, -7},
                      RawCallCase{"count_at_24_without_array_at_16", "KivClient_publish_2d36e93",
                                  kPublishText, sizeof kPublishText - 1, false, 1, -2},
                      RawCallCase{"no_count_no_array", "KivClient_publish_2d36e93", kPublishText,
                                  sizeof kPublishText - 1, false, 0, -7}),
    [](const ::testing::TestParamInfo<RawCallCase>& info) { return info.param.label; });

}  // namespace
}  // namespace velmo_windows_test
