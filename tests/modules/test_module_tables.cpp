// Every API name of the six modules, through the exports: valid arguments
// reach exactly one SDK operation with exactly the expected arguments; each
// missing or mistyped key is refused before the SDK; without a client (or
// without the SDK interface a module drives) nothing reaches the SDK.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "modules/api_rows.h"
#include "modules/log_capture.h"
#include "modules/module_fixture.h"
#include "src/kiv/src/IKivClient_wrapper.h"
#include "src/kiv/src/impl/IKivHistory_wrapper.h"
#include "src/kiv/src/impl/IKivLock_wrapper.h"
#include "src/kiv/src/impl/IKivPresence_wrapper.h"
#include "src/kiv/src/impl/IKivStorage_wrapper.h"
#include "src/kiv/src/impl/IStreamChannel_Manager.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

std::string rowName(const ::testing::TestParamInfo<ApiRow>& info) { return info.param.api; }

// A value of another JSON kind than the valid one.
json mistyped(const json& valid) {
  if (valid.is_string()) return 7;
  if (valid.is_number()) return "7";
  if (valid.is_boolean()) return 1;
  if (valid.is_object()) return json::array();
  return json::object();
}

json parse(const char* text) { return text ? json::parse(text) : json(); }

class ModuleApi : public EngineFixture<::testing::TestWithParam<ApiRow>> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    createClient();
    if (needsChannel(GetParam())) createChannel("ch");
    startRecording();
  }
};

TEST_P(ModuleApi, ValidArgumentsReachTheSdkExactly) {
  const ApiRow& row = GetParam();
  const ApiReply reply = call(row.api, row.params);
  EXPECT_EQ(reply.code, row.code);
  const std::string expected =
      row.result ? row.result
                 : R"({"requestId":)" + std::to_string(kFirstRequestId) + R"(,"result":0})";
  EXPECT_EQ(reply.result, expected);

  const auto calls = sdk().calls();
  if (!row.sdkOp) {
    EXPECT_TRUE(calls.empty());
    return;
  }
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].op, row.sdkOp);
  EXPECT_EQ(calls[0].args, parse(row.sdkArgs));
  // An out request id is zeroed before the call.
  if (calls[0].requestIdIn) {
    EXPECT_EQ(*calls[0].requestIdIn, 0u);
  }
  EXPECT_EQ(calls[0].requestIdIn.has_value(), row.result == nullptr);
}

TEST_P(ModuleApi, EachMissingOrMistypedKeyIsRefusedBeforeTheSdk) {
  const ApiRow& row = GetParam();
  const json valid = parse(row.params);
  for (const char* key : row.keys) {
    json missing = valid;
    missing.erase(key);
    json wrong = valid;
    wrong[key] = mistyped(valid.at(key));
    for (const json& params : {missing, wrong}) {
      const ApiReply reply = call(row.api, params.dump().c_str());
      EXPECT_EQ(reply.code, -2) << key << " in " << params.dump();
      EXPECT_EQ(reply.result, "null") << key;
    }
  }
  EXPECT_EQ(sdk().callCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Client, ModuleApi, ::testing::ValuesIn(clientRows()), rowName);
INSTANTIATE_TEST_SUITE_P(StreamChannel, ModuleApi, ::testing::ValuesIn(streamChannelRows()),
                         rowName);
INSTANTIATE_TEST_SUITE_P(Storage, ModuleApi, ::testing::ValuesIn(storageRows()), rowName);
INSTANTIATE_TEST_SUITE_P(Lock, ModuleApi, ::testing::ValuesIn(lockRows()), rowName);
INSTANTIATE_TEST_SUITE_P(Presence, ModuleApi, ::testing::ValuesIn(presenceRows()), rowName);
INSTANTIATE_TEST_SUITE_P(History, ModuleApi, ::testing::ValuesIn(historyRows()), rowName);

// ---- without a client ------------------------------------------------------

class ModuleApiWithoutClient : public EngineFixture<::testing::TestWithParam<ApiRow>> {};

TEST_P(ModuleApiWithoutClient, AnswersMinusSevenWithoutCallingTheSdk) {
  const ApiRow& row = GetParam();
  LogCapture log;
  const ApiReply reply = call(row.api, row.params);
  EXPECT_EQ(reply.code, -7);
  EXPECT_EQ(reply.result, "null");
  EXPECT_EQ(sdk().callCount(), 0u);
  // The client module answers silently; the others say why, from their own source.
  static const std::map<std::string, std::string> kSourceOf = {
      {"StreamChannel", "IStreamChannel_Manager"},
      {"KivStorage", "IKivStorage_wrapper"},
      {"KivLock", "IKivLock_wrapper"},
      {"KivPresence", "IKivPresence_wrapper"},
      {"KivHistory", "IKivHistory_wrapper"}};
  if (moduleOf(row.api) == "KivClient")
    EXPECT_FALSE(log.mentions("not initialized"));
  else
    EXPECT_TRUE(log.has(spdlog::level::err, "kiv client is not initialized",
                        kSourceOf.at(moduleOf(row.api))));
}

TEST_P(ModuleApiWithoutClient, AnswersMinusSevenAfterTheClientIsReleased) {
  createClient();
  sdk().setReturn("IKivClient::release", 0);
  ASSERT_EQ(call("KivClient_release", nullptr).result, R"({"result":0})");
  startRecording();
  const ApiReply reply = call(GetParam().api, GetParam().params);
  EXPECT_EQ(reply.code, -7);
  EXPECT_EQ(reply.result, "null");
  EXPECT_EQ(sdk().callCount(), 0u);
}

std::vector<ApiRow> rowsNeedingOnlyAClient() {
  std::vector<ApiRow> rows;
  for (const ApiRow& row : allRows())
    if (!needsChannel(row)) rows.push_back(row);
  return rows;
}

INSTANTIATE_TEST_SUITE_P(All, ModuleApiWithoutClient, ::testing::ValuesIn(rowsNeedingOnlyAClient()),
                         rowName);

// ---- a client without the module's SDK interface ----------------------------

class ModuleApiWithoutInterface : public EngineFixture<::testing::TestWithParam<ApiRow>> {};

TEST_P(ModuleApiWithoutInterface, AnswersMinusSevenInsteadOfAPromiseNeverKept) {
  const ApiRow& row = GetParam();
  const std::string module = moduleOf(row.api);
  struct Missing {
    SubInterface which;
    const char* word;
  };
  const Missing missing = module == "KivStorage"    ? Missing{SubInterface::Storage, "storage"}
                          : module == "KivLock"     ? Missing{SubInterface::Lock, "lock"}
                          : module == "KivPresence" ? Missing{SubInterface::Presence, "presence"}
                                                    : Missing{SubInterface::History, "history"};
  createClient();
  sdk().withholdInterface(missing.which);
  startRecording();
  LogCapture log;
  const ApiReply reply = call(row.api, row.params);
  EXPECT_EQ(reply.code, -7);
  EXPECT_EQ(reply.result, "null");
  EXPECT_EQ(sdk().callCount(), 0u);
  EXPECT_TRUE(log.has(spdlog::level::err, missing.word));
}

std::vector<ApiRow> subInterfaceRows() {
  std::vector<ApiRow> rows;
  for (const auto* group : {&storageRows(), &lockRows(), &presenceRows(), &historyRows()})
    rows.insert(rows.end(), group->begin(), group->end());
  return rows;
}

INSTANTIATE_TEST_SUITE_P(All, ModuleApiWithoutInterface, ::testing::ValuesIn(subInterfaceRows()),
                         rowName);

// ---- the rows cover every registered name -------------------------------------

std::set<std::string> rowNames(const std::vector<ApiRow>& rows) {
  std::set<std::string> names;
  for (const ApiRow& row : rows) names.insert(row.api);
  return names;
}

std::set<std::string> asSet(const std::vector<std::string>& names) {
  return {names.begin(), names.end()};
}

TEST(ModuleTables, RowsCoverEveryRegisteredName) {
  RecordingSdk sdk;
  const std::weak_ptr<IKivClientWrapper> noLink;

  std::set<std::string> client = rowNames(clientRows());
  client.insert({"KivClient_create", "KivClient_createStreamChannel_ae3d0cf"});
  EXPECT_EQ(asSet(IKivClientWrapper(nullptr, RecordingSdk::procTable()).apiNames()), client);

  std::set<std::string> channel = rowNames(streamChannelRows());
  channel.erase("KivClient_createStreamChannel_ae3d0cf");
  FakeStreamChannel fakeChannel(sdk, 1, std::string("x"));
  EXPECT_EQ(asSet(IStreamChannelWrapper(&fakeChannel).apiNames()), channel);
  EXPECT_EQ(asSet(IStreamChannelManager(noLink).apiNames()),
            std::set<std::string>{"KivClient_createStreamChannel_ae3d0cf"});

  EXPECT_EQ(asSet(IKivStorageWrapper(noLink).apiNames()), rowNames(storageRows()));
  EXPECT_EQ(asSet(IKivLockWrapper(noLink).apiNames()), rowNames(lockRows()));
  EXPECT_EQ(asSet(IKivPresenceWrapper(noLink).apiNames()), rowNames(presenceRows()));
  EXPECT_EQ(asSet(IKivHistoryWrapper(noLink).apiNames()), rowNames(historyRows()));
}

// A module whose client module is gone says so instead of touching it.
TEST(ModuleTables, ExpiredClientModuleAnswersMinusSeven) {
  RecordingSdk sdk;
  std::weak_ptr<IKivClientWrapper> link;
  {
    auto clientModule =
        std::make_shared<IKivClientWrapper>(sdk.newClient(), RecordingSdk::procTable());
    link = clientModule;
  }
  sdk.clearCalls();  // the client module released its client on the way out
  IKivLockWrapper lock(link);
  IStreamChannelManager channels(link);
  json params = json::parse(R"({"channelName":"c","channelType":1})");
  json result;
  LogCapture log;
  EXPECT_EQ(lock.Invoke("KivLock_getLocks_ad8568b", params, result), -7);
  EXPECT_EQ(channels.Invoke("KivClient_createStreamChannel_ae3d0cf", params, result), -7);
  EXPECT_TRUE(result.is_null());
  EXPECT_TRUE(log.has(spdlog::level::err, "kiv client wrapper is not initialized"));
  EXPECT_EQ(sdk.callCount(), 0u);
}

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
