#include "src/kiv/src/impl/IStreamChannel_Manager.h"

#include <algorithm>
#include <cstring>

#include "common/includes/quon_log.h"
#include "src/kiv/src/param_diagnostics.h"

namespace velmo {
namespace quon {
namespace kiv {

using ::velmo::kiv::IKivClient;
using ::velmo::kiv::IStreamChannel;
using ::velmo::kiv::JoinChannelOptions;
using ::velmo::kiv::JoinTopicOptions;
using ::velmo::kiv::TopicMessageOptions;
using ::velmo::kiv::TopicOptions;
using namespace args;

namespace {
// Every call names its channel; the manager routes by it.
const Str kChannelName{"channelName"};
}  // namespace

velmo_kiv_IStreamChannelWrapperGen::velmo_kiv_IStreamChannelWrapperGen()
    : SdkModule<IStreamChannel>(std::weak_ptr<IKivClientWrapper>()) {
  using C = IStreamChannel;
  const Str topic{"topic"};
  registerRows({
      {"StreamChannel_join_2090a6b", async(&C::join, Obj<JoinChannelOptions>{"options"})},
      {"StreamChannel_leave_90386a9", async(&C::leave)},
      {"StreamChannel_getChannelName", sync(&C::getChannelName)},
      {"StreamChannel_joinTopic_ff0ec3f",
       async(&C::joinTopic, topic, Obj<JoinTopicOptions>{"options"})},
      {"StreamChannel_leaveTopic_1fa04dd", async(&C::leaveTopic, topic)},
      {"StreamChannel_publishTopicMessage_a31773e",
       async(&C::publishTopicMessage, topic, Address{"message"}, Length{"length"},
             Obj<TopicMessageOptions>{"option"})},
      {"StreamChannel_subscribeTopic_b801234",
       async(&C::subscribeTopic, topic, Obj<TopicOptions>{"options"})},
      {"StreamChannel_unsubscribeTopic_b801234",
       async(&C::unsubscribeTopic, topic, Obj<TopicOptions>{"options"})},
      {"StreamChannel_getSubscribedUserList_1fa04dd", async(&C::getSubscribedUserList, topic)},
      {"StreamChannel_renewToken_1fa04dd", async(&C::renewToken, Str{"token"})},
      {"StreamChannel_setParameters_3a2037f", sync(&C::setParameters, Str{"parameters"})},
      {"StreamChannel_release", sync(&C::release)},
  });
}

IStreamChannelManager::IStreamChannelManager(std::weak_ptr<IKivClientWrapper> client)
    : client_(std::move(client)) {
  registerHandler(
      "KivClient_createStreamChannel_ae3d0cf",
      [this](json& params, json& result) { return createStreamChannel(params, result); },
      describeCall("sync", {kChannelName.describe()},
                   {{"result", "integer"}, {"errorCode", "integer"}}));
}

std::vector<std::pair<std::string, ApiDescription>> IStreamChannelManager::describeApis() {
  auto all = ApiModuleBase::describeApis();
  // Every channel answers the same table; the routing key comes first.
  IStreamChannelWrapper table(nullptr);
  for (auto& [name, description] : table.describeApis()) {
    description.keys.insert(description.keys.begin(), kChannelName.describe());
    all.emplace_back(name, std::move(description));
  }
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return all;
}

IStreamChannelManager::~IStreamChannelManager() {
  std::lock_guard<std::mutex> guard(channelLock_);
  channels_.clear();
}

int IStreamChannelManager::Invoke(const char* apiName, json& params, json& result) {
  std::lock_guard<std::mutex> guard(channelLock_);
  const int own = invokeRegistered(apiName, params, result);
  if (own != kCodeUnknownApi) return own;

  const char* channelName = nullptr;
  if (!args::readReported(kChannelName, params, channelName)) return kCodeBadParams;
  auto it = channels_.find(channelName);
  if (it == channels_.end()) {
    reportBadValue("channelName",
                   "names no stream channel made by "
                   "KivClient_createStreamChannel_ae3d0cf: answered {\"result\":-2}");
    result["result"] = kCodeBadParams;
    return kCodeOk;
  }
  const int code = it->second->Invoke(apiName, params, result);
  if (code == kCodeOk && std::strcmp(apiName, "StreamChannel_release") == 0) channels_.erase(it);
  return code;
}

int IStreamChannelManager::createStreamChannel(json& params, json& result) {
  IKivClient* client = clientThroughLink(client_, nullptr, QUON_HERE);
  if (!client) return kCodeNoClient;
  const char* name = nullptr;
  if (!args::readReported(kChannelName, params, name)) return kCodeBadParams;
  const std::string channelName(name);

  int errorCode = 0;
  IStreamChannel* channel = client->createStreamChannel(channelName.c_str(), &errorCode);
  if (channel) {
    // The same name again replaces the wrapper; the SDK may hand back the same
    // channel, so the old one is not released.
    channels_[channelName] = std::make_unique<IStreamChannelWrapper>(channel);
  } else {
    QUON_LOG_ERROR("createStreamChannel error code: {}", errorCode);
  }
  result["result"] = errorCode;
  result["errorCode"] = errorCode;
  return kCodeOk;
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
