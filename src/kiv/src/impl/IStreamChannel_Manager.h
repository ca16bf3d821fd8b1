// Stream channels: the manager creates channels by name and routes every
// "StreamChannel" call to the wrapper of the channel named in "channelName".
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "src/kiv/src/sdk_module.h"

namespace velmo {
namespace quon {
namespace kiv {

// Registers every stream-channel API name of the table.
class velmo_kiv_IStreamChannelWrapperGen : public SdkModule<::velmo::kiv::IStreamChannel> {
 public:
  velmo_kiv_IStreamChannelWrapperGen();
};

// One created channel. It does not release its SDK channel when destroyed:
// only "StreamChannel_release" does.
class IStreamChannelWrapper : public velmo_kiv_IStreamChannelWrapperGen {
 public:
  explicit IStreamChannelWrapper(::velmo::kiv::IStreamChannel* channel) : channel_(channel) {}
  ::velmo::kiv::IStreamChannel* getSdkInterface(int*) override { return getStreamChannel(); }
  ::velmo::kiv::IStreamChannel* getStreamChannel() { return channel_; }

 private:
  ::velmo::kiv::IStreamChannel* channel_;  // never null
};

class IStreamChannelManager : public ApiModuleBase {
 public:
  explicit IStreamChannelManager(std::weak_ptr<IKivClientWrapper> client);
  ~IStreamChannelManager() override;

  // Runs under the channel lock: the manager's own table first, then the
  // channel named by "channelName" ({"result":-2} when it does not exist).
  int Invoke(const char* apiName, json& params, json& result) override;

  // Its own names and those of every channel, with "channelName" first.
  std::vector<std::pair<std::string, ApiDescription>> describeApis() override;

 private:
  int createStreamChannel(json& params, json& result);

  std::mutex channelLock_;  // always taken before any table lock
  std::weak_ptr<IKivClientWrapper> client_;
  std::unordered_map<std::string, std::unique_ptr<IStreamChannelWrapper>> channels_;
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
