// Secrets masked in the logged parameters, in place, on input of any length.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "src/kiv/src/param_redaction.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace {

const std::string kMask = "***************";

struct RedactionCase {
  const char* label;
  const char* api;
  std::string params;
  std::string logged;
};

void PrintTo(const RedactionCase& c, std::ostream* os) { *os << c.label; }

class LoggerRedaction : public ::testing::TestWithParam<RedactionCase> {};

TEST_P(LoggerRedaction, MasksTheSecretsOfTheGivenCall) {
  EXPECT_EQ(redactParams(GetParam().api, GetParam().params), GetParam().logged) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoggerRedaction,
    ::testing::Values(
        RedactionCase{"twenty-character token", "KivClient_login_1fa04dd",
                      R"({"token":"abcdefghijklmnopqrst"})",
                      R"({"token":"abcd)" + kMask + R"(qrst"})"},
        RedactionCase{"renew token", "KivClient_renewToken_1fa04dd", R"({"token":"0123456789"})",
                      R"({"token":"0123)" + kMask + R"(6789"})"},
        RedactionCase{"stream channel renew token", "StreamChannel_renewToken_1fa04dd",
                      R"({"channelName":"c1","token":"0123456789"})",
                      R"({"channelName":"c1","token":"0123)" + kMask + R"(6789"})"},
        RedactionCase{"join token inside options", "StreamChannel_join_2090a6b",
                      R"({"channelName":"c1","options":{"token":"0123456789","withLock":true}})",
                      R"({"channelName":"c1","options":{"token":"0123)" + kMask +
                          R"(6789","withLock":true}})"},
        RedactionCase{"captured text occurs earlier", "KivClient_login_1fa04dd",
                      R"({"note":"EFGHIJKL","token":"abcdEFGHIJKLwxyz"})",
                      R"({"note":"EFGHIJKL","token":"abcd)" + kMask + R"(wxyz"})"},
        RedactionCase{"six-character app id is masked whole", "KivClient_create",
                      R"({"config":{"userId":"u","appId":"abcdef"}})",
                      R"({"config":{"userId":"u","appId":")" + kMask + R"("}})"},
        RedactionCase{"seven-character app id keeps its ends", "KivClient_create",
                      R"({"appId":"abcdefg"})", R"({"appId":"abc)" + kMask + R"(efg"})"},
        RedactionCase{"eight-character token is masked whole", "KivClient_login_1fa04dd",
                      R"({"token":"12345678"})", R"({"token":")" + kMask + R"("})"},
        RedactionCase{"nine-character token keeps its ends", "KivClient_login_1fa04dd",
                      R"({"token":"123456789"})", R"({"token":"1234)" + kMask + R"(6789"})"},
        RedactionCase{"empty token", "KivClient_login_1fa04dd", R"({"token":""})",
                      R"({"token":")" + kMask + R"("})"},
        RedactionCase{"app id and secrets of the configuration", "KivClient_create",
                      R"({"config":{"appId":"A1b2C3d4E5","encryptionConfig":{"encryptionKey":"k"},)"
                      R"("proxyConfig":{"account":"me","password":"hunter22"}}})",
                      R"({"config":{"appId":"A1b)" + kMask +
                          R"(4E5","encryptionConfig":{)"
                          R"("encryptionKey":")" +
                          kMask +
                          R"("},"proxyConfig":{"account":"me",)"
                          R"("password":")" +
                          kMask + R"("}}})"},
        RedactionCase{"blanks around the colon", "KivClient_login_1fa04dd",
                      "{\"token\" :\t\n \"abcdefghijklmnopqrst\"}",
                      "{\"token\" :\t\n \"abcd" + kMask + "qrst\"}"},
        RedactionCase{"every occurrence of a key", "KivClient_login_1fa04dd",
                      R"({"token":"decoy-decoy-1","token":"real-secret-2"})",
                      R"({"token":"deco)" + kMask + R"(oy-1","token":"real)" + kMask + R"(et-2"})"},
        RedactionCase{"escaped quote stays inside the token", "KivClient_login_1fa04dd",
                      R"({"token":"ab\"cdefghijklmn"})", R"({"token":"ab\")" + kMask + R"(klmn"})"},
        RedactionCase{"token cut short by the length", "KivClient_login_1fa04dd",
                      R"({"token":"abcdefghijkl)", R"({"token":"abcd)" + kMask + "ijkl"},
        RedactionCase{"short token and app id are masked whole", "KivClient_create",
                      R"({"token":"1234567","config":{"appId":"abcde"}})",
                      R"({"token":")" + kMask + R"(","config":{"appId":")" + kMask + R"("}})"},
        RedactionCase{"app id with other characters", "KivClient_create",
                      R"({"appId":"abc-def-ghi"})", R"({"appId":"abc)" + kMask + R"(ghi"})"},
        RedactionCase{"short token cut short by the length", "KivClient_login_1fa04dd",
                      R"({"token":"abc)", R"({"token":")" + kMask},
        RedactionCase{"a key name as a value is no key", "KivClient_login_1fa04dd",
                      R"({"kind":"token","token":"abcdefghij"})",
                      R"({"kind":"token","token":"abcd)" + kMask + R"(ghij"})"},
        RedactionCase{"logout is logged verbatim", "KivClient_logout_90386a9",
                      R"({"token":"abcdefghijklmnopqrst"})",
                      R"({"token":"abcdefghijklmnopqrst"})"}));

// The kept ends count UTF-8 characters, as many as for ASCII text, and never
// split one: "é" is 2 bytes, "€" 3, "😀" 4.
INSTANTIATE_TEST_SUITE_P(
    WholeCharacters, LoggerRedaction,
    ::testing::Values(
        RedactionCase{"two-byte characters at both ends of a token", "KivClient_login_1fa04dd",
                      R"({"token":"éabcdefghé"})", R"({"token":"éabc)" + kMask + R"(fghé"})"},
        RedactionCase{"characters of every width at the kept ends", "KivClient_login_1fa04dd",
                      R"({"token":"a€😀éXYZé😀€b"})", R"({"token":"a€😀é)" + kMask + R"(é😀€b"})"},
        RedactionCase{"eight wide characters are masked whole", "KivClient_login_1fa04dd",
                      R"({"token":"€€€€€€€€"})", R"({"token":")" + kMask + R"("})"},
        RedactionCase{"nine wide characters keep their ends", "KivClient_login_1fa04dd",
                      R"({"token":"€€€€x€€€€"})", R"({"token":"€€€€)" + kMask + R"(€€€€"})"},
        RedactionCase{"app id with wide characters", "KivClient_create",
                      R"({"config":{"appId":"日本語アプリ名"}})",
                      R"({"config":{"appId":"日本語)" + kMask + R"(プリ名"}})"},
        RedactionCase{"token cut short inside a character", "KivClient_login_1fa04dd",
                      "{\"token\":\"abcdefghij\xE2\x82",
                      "{\"token\":\"abcd" + kMask + "hij\xE2\x82"}));

TEST(LoggerRedactionNames, OnlyTheCallsThatCarrySecrets) {
  for (const char* name :
       {"KivClient_create", "KivClient_login_1fa04dd", "KivClient_renewToken_1fa04dd",
        "StreamChannel_renewToken_1fa04dd", "StreamChannel_join_2090a6b"})
    EXPECT_TRUE(isRedactedApi(name)) << name;
  for (const char* name : {"KivClient_logout_90386a9", "KivClient_create ", "kivClient_create",
                           "KivClient_login", "StreamChannel_join_2090a6", ""})
    EXPECT_FALSE(isRedactedApi(name)) << name;
  EXPECT_FALSE(isRedactedApi(nullptr));
}

TEST(LoggerRedactionLongInput, MasksAThreeHundredThousandCharacterToken) {
  const std::string token = "head" + std::string(300000 - 8, 'x') + "tail";
  const std::string params = R"({"token":")" + token + R"(","x":1})";
  EXPECT_EQ(redactParams("KivClient_login_1fa04dd", params),
            R"({"token":"head)" + kMask + R"(tail","x":1})");

  const std::string appId = "abc" + std::string(300000, '7') + "xyz";
  EXPECT_EQ(redactParams("KivClient_create", R"({"appId":")" + appId + "\"}"),
            R"({"appId":"abc)" + kMask + "xyz\"}");
}

TEST(LoggerRedactionLongInput, ManyKeysWithoutValuesLeaveTheTextWhole) {
  // Each would-be key starts a value scan; none may rescan the rest of the text.
  std::string params = "{";
  for (int i = 0; i < 30000; ++i) params += R"("token","appId",)";
  params += "}";
  EXPECT_EQ(redactParams("KivClient_create", params), params);
}

}  // namespace
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
