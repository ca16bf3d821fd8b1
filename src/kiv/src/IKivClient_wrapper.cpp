#include "src/kiv/src/IKivClient_wrapper.h"

#include <string>

#include "common/includes/quon_log.h"
#include "common/utils/quon_logger.h"

namespace velmo {
namespace quon {
namespace kiv {

using ::velmo::kiv::IKivClient;
using ::velmo::kiv::KivConfig;
using ::velmo::kiv::PublishOptions;
using ::velmo::kiv::SubscribeOptions;
using namespace args;

namespace {

constexpr int kCodeGetterAnswer = 4;

// A handler that needs no SDK call but, like every client operation, a client;
// it answers code and writes no result.
DescribedOp<IKivClient> answer(int code) {
  return {[code](IKivClient&, json&, json&) { return code; }, localCall({}, {}, code)};
}

// Runs op, then applies the log-filter rule to the parameters it accepted.
DescribedOp<IKivClient> withLogFilter(DescribedOp<IKivClient> described) {
  ModuleOp<IKivClient> filtered = [op = std::move(described.op)](IKivClient& client, json& params,
                                                                 json& result) {
    const int code = op(client, params, result);
    if (code == kCodeOk) applyLogFilter(params["parameters"].get_ref<const std::string&>().c_str());
    return code;
  };
  return {std::move(filtered), std::move(described.description)};
}

// A log setting taken from one key; the client must exist like for any call.
template <class Kind, class Apply>
DescribedOp<IKivClient> logSetting(Kind kind, Apply apply) {
  ModuleOp<IKivClient> op = [kind, apply](IKivClient&, json& params, json& result) {
    typename Kind::type value{};
    if (!args::readReported(kind, params, value)) return kCodeBadParams;
    apply(value);
    result["result"] = 0;
    return kCodeOk;
  };
  return {std::move(op), localCall({kind.describe()})};
}

// "config" may be left out; the call's buffer becomes its event sink.
ApiDescription createDescription() {
  KeyDescription config = Obj<KivConfig>{"config"}.describe();
  config.optional = true;
  ApiDescription d =
      describeCall("sync", {config}, {{"result", "integer"}, {"errorCode", "integer"}});
  d.buffer = "eventSink";
  return d;
}

const Int kAppType{"appType"};

}  // namespace

velmo_kiv_IKivClientWrapperGen::velmo_kiv_IKivClientWrapperGen()
    : SdkModule<IKivClient>(std::weak_ptr<IKivClientWrapper>()) {
  registerRows({
      {"KivClient_login_1fa04dd", async(&IKivClient::login, Str{"token"})},
      {"KivClient_logout_90386a9", async(&IKivClient::logout)},
      {"KivClient_renewToken_1fa04dd", async(&IKivClient::renewToken, Str{"token"})},
      {"KivClient_subscribe_3fae92d",
       async(&IKivClient::subscribe, Str{"channelName"}, Obj<SubscribeOptions>{"options"})},
      {"KivClient_unsubscribe_1fa04dd", async(&IKivClient::unsubscribe, Str{"channelName"})},
  });
}

IKivClientWrapper::IKivClientWrapper(IKivClient* client, const KivProcTable* factory)
    : bridge_(new KivEventHandler()), client_(client), factory_(factory) {
  registerHandler(
      "KivClient_create", [this](json& params, json& result) { return create(params, result); },
      createDescription());
  registerHandler(
      "KivClient_setAppType",
      [this](json& params, json& result) { return setAppType(params, result); },
      syncCall({kAppType.describe()}));
  registerRows({
      {"KivClient_release",
       [this](IKivClient& c, json&, json& result) { return release(c, result); }, syncCall({})},
      {"KivClient_getStorage", answer(kCodeGetterAnswer)},
      {"KivClient_getLock", answer(kCodeGetterAnswer)},
      {"KivClient_getPresence", answer(kCodeGetterAnswer)},
      {"KivClient_publish_2d36e93",
       async(&IKivClient::publish, Str{"channelName"}, Address{"message"}, Length{"length"},
             Obj<PublishOptions>{"option"})},
      // Answered here only when called on the module directly: the engine sends
      // this name to the stream-channel module.
      {"KivClient_createStreamChannel_ae3d0cf", answer(1)},
      {"KivClient_setParameters_3a2037f",
       withLogFilter(sync(&IKivClient::setParameters, Str{"parameters"}))},
      {"KivClient_setLogFile", logSetting(Str{"filePath"},
                                          [](const char* path) {
                                            if (*path) QuonLogger::instance().setLogDirectory(path);
                                          })},
      {"KivClient_setLogLevel",
       logSetting(Int{"level"},
                  [](int level) { QuonLogger::instance().setLogLevel(mapSdkLogLevel(level)); })},
      {"KivClient_setLogFileSize", logSetting(U32{"fileSizeInKBytes"},
                                              [](uint32_t kb) {
                                                // The product is 32-bit, as the SDK's; a wrap to 0
                                                // changes nothing.
                                                const uint32_t bytes = kb * 1024u;
                                                if (bytes != 0)
                                                  QuonLogger::instance().setMaxFileSize(bytes);
                                              })},
  });
}

IKivClientWrapper::~IKivClientWrapper() {
  // Release the client before the bridge goes, so no callback reaches a
  // destroyed bridge.
  if (client_) client_->release();
  client_ = nullptr;
  bridge_.reset();
}

IKivClient* IKivClientWrapper::getKivClient(int* errorCode) {
  if (!client_ && errorCode) *errorCode = kCodeNoClient;
  return client_;
}

bool IKivClientWrapper::refusedInsideDelivery(const char* apiName) const {
  if (!insideOwnDelivery()) return false;
  QUON_LOG_ERROR("api name {} refused: called from this client's own event sink", apiName);
  return true;
}

int IKivClientWrapper::create(json& params, json& result) {
  if (refusedInsideDelivery("KivClient_create")) return kCodeNoClient;
  KivConfig config;
  std::string refusedText;
  if (json* c = args::find(params, "config"); c && !fromJson(*c, config, refusedText)) {
    reportNulInText("config." + refusedText);
    return kCodeBadParams;
  }

  if (config.eventHandler)
    bridge_->addEventHandler(reinterpret_cast<QuonEventHandler*>(config.eventHandler));
  else
    bridge_->clearEventHandlers();
  // The SDK reports to the bridge, never to a host object.
  config.eventHandler = bridge_.get();

  QuonLogger& logger = QuonLogger::instance();
  if (config.logConfig.filePath && *config.logConfig.filePath)
    logger.setLogDirectory(config.logConfig.filePath);
  const uint32_t maxBytes = config.logConfig.fileSizeInKB * 1024u;
  if (maxBytes != 0) logger.setMaxFileSize(maxBytes);
  logger.setLogLevel(mapSdkLogLevel(config.logConfig.level));

  if (client_) client_->release();
  client_ = nullptr;

  int errorCode = 0;
  if (factory_ && factory_->createKivClient)
    client_ = factory_->createKivClient(&config, &errorCode);
  else
    errorCode = kCodeNoClient;  // a host table without a factory function
  result["result"] = errorCode;
  result["errorCode"] = errorCode;
  return kCodeOk;
}

int IKivClientWrapper::release(IKivClient& client, json& result) {
  if (refusedInsideDelivery("KivClient_release")) return kCodeNoClient;
  const int value = client.release();
  if (value == 0) client_ = nullptr;
  result["result"] = value;
  return kCodeOk;
}

int IKivClientWrapper::setAppType(json& params, json& result) {
  int appType = 0;
  if (!args::readReported(kAppType, params, appType)) return kCodeBadParams;
  IKivClient* client = getKivClient(nullptr);
  if (!client) return kCodeNoClient;
  const std::string text = "{\"kiv.app_type\": " + std::to_string(appType) + "}";
  result["result"] = client->setParameters(text.c_str());
  return kCodeOk;
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
