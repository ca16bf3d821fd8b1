#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "velmo_kiv_wrapper.h"

namespace {

struct Call {
  char result[QUON_KIV_RESULT_BUFFER_SIZE];
  ApiParam param{};
  explicit Call(const char* api, const char* params = nullptr) {
    std::strcpy(result, "untouched");
    param.apiName = api;
    param.params = params;
    param.paramsLength = params ? static_cast<unsigned>(std::strlen(params)) : 0;
    param.resultBuffer = result;
  }
};

TEST(EngineRouting, AnswersCodesOfTheBoundary) {
  QuonKivEngineHandle engine = CreateQuonKivEngineWithProcTable(nullptr);
  ASSERT_NE(engine, nullptr);
  struct Case {
    const char* api;
    const char* params;
    int code;
    const char* result;
  } cases[] = {
      {"NoUnderscore", "{}", -4, "untouched"},
      {"Unknown_prefix", "{}", -4, "untouched"},
      {"KivClient_login", "{}", -1009, "null"},
      {"KivClient_login_1fa04dd", "{\"token\":\"abc\"}", -7, "null"},
      {"KivClient_create", "{", -2, "untouched"},
  };
  for (const Case& c : cases) {
    Call call(c.api, c.params);
    EXPECT_EQ(CallQuonKivApi(engine, &call.param), c.code) << c.api;
    EXPECT_STREQ(call.result, c.result) << c.api;
  }
  Call call("KivClient_login_1fa04dd");
  EXPECT_EQ(CallQuonKivApi(nullptr, &call.param), -1);
  EXPECT_EQ(CallQuonKivApi(engine, nullptr), -2);
  DestroyQuonKivEngine(engine);
}

}  // namespace
