#include "src/kiv/src/sdk_module.h"

#include "common/includes/quon_log.h"
#include "src/kiv/src/IKivClient_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {

using ::velmo::kiv::IKivClient;

IKivClient* clientThroughLink(const std::weak_ptr<IKivClientWrapper>& link, int* errorCode,
                              const spdlog::source_loc& caller) {
  std::shared_ptr<IKivClientWrapper> wrapper = link.lock();
  if (!wrapper) {
    QUON_LOG_AT(caller, spdlog::level::err, "kiv client wrapper is not initialized");
    if (errorCode) *errorCode = kCodeNoClient;
    return nullptr;
  }
  IKivClient* client = wrapper->getKivClient(nullptr);
  if (!client) {
    QUON_LOG_AT(caller, spdlog::level::err, "kiv client is not initialized");
    if (errorCode) *errorCode = kCodeNoClient;
    return nullptr;
  }
  return client;
}

template <class Sub>
Sub* subInterfaceThroughLink(const std::weak_ptr<IKivClientWrapper>& link,
                             Sub* (IKivClient::*getter)(), const char* what, int* errorCode,
                             const spdlog::source_loc& caller) {
  IKivClient* client = clientThroughLink(link, errorCode, caller);
  if (!client) return nullptr;
  Sub* sub = (client->*getter)();
  if (!sub) {
    // Answering "result": 0 here would promise an event that never comes.
    QUON_LOG_AT(caller, spdlog::level::err, "kiv client has no {} interface", what);
    if (errorCode) *errorCode = kCodeNoClient;
  }
  return sub;
}

template ::velmo::kiv::IKivStorage* subInterfaceThroughLink(
    const std::weak_ptr<IKivClientWrapper>&, ::velmo::kiv::IKivStorage* (IKivClient::*)(),
    const char*, int*, const spdlog::source_loc&);
template ::velmo::kiv::IKivLock* subInterfaceThroughLink(const std::weak_ptr<IKivClientWrapper>&,
                                                         ::velmo::kiv::IKivLock* (IKivClient::*)(),
                                                         const char*, int*,
                                                         const spdlog::source_loc&);
template ::velmo::kiv::IKivPresence* subInterfaceThroughLink(
    const std::weak_ptr<IKivClientWrapper>&, ::velmo::kiv::IKivPresence* (IKivClient::*)(),
    const char*, int*, const spdlog::source_loc&);
template ::velmo::kiv::IKivHistory* subInterfaceThroughLink(
    const std::weak_ptr<IKivClientWrapper>&, ::velmo::kiv::IKivHistory* (IKivClient::*)(),
    const char*, int*, const spdlog::source_loc&);

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
