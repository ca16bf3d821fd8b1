#include "src/kiv/src/sdk_module.h"

#include "common/includes/quon_log.h"
#include "src/kiv/src/IKivClient_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {

using ::velmo::kiv::IKivClient;

IKivClient* clientThroughLink(const std::weak_ptr<IKivClientWrapper>& link, int* errorCode) {
  std::shared_ptr<IKivClientWrapper> wrapper = link.lock();
  if (!wrapper) {
    QUON_LOG_ERROR("kiv client wrapper is not initialized");
    if (errorCode) *errorCode = kCodeNoClient;
    return nullptr;
  }
  IKivClient* client = wrapper->getKivClient(nullptr);
  if (!client) {
    QUON_LOG_ERROR("kiv client is not initialized");
    if (errorCode) *errorCode = kCodeNoClient;
    return nullptr;
  }
  return client;
}

template <class Sub>
Sub* subInterfaceThroughLink(const std::weak_ptr<IKivClientWrapper>& link,
                             Sub* (IKivClient::*getter)(), const char* what, int* errorCode) {
  IKivClient* client = clientThroughLink(link, errorCode);
  if (!client) return nullptr;
  Sub* sub = (client->*getter)();
  if (!sub) {
    // Answering "result": 0 here would promise an event that never comes.
    QUON_LOG_ERROR("kiv client has no {} interface", what);
    if (errorCode) *errorCode = kCodeNoClient;
  }
  return sub;
}

template ::velmo::kiv::IKivStorage* subInterfaceThroughLink(
    const std::weak_ptr<IKivClientWrapper>&, ::velmo::kiv::IKivStorage* (IKivClient::*)(),
    const char*, int*);
template ::velmo::kiv::IKivLock* subInterfaceThroughLink(
    const std::weak_ptr<IKivClientWrapper>&, ::velmo::kiv::IKivLock* (IKivClient::*)(),
    const char*, int*);
template ::velmo::kiv::IKivPresence* subInterfaceThroughLink(
    const std::weak_ptr<IKivClientWrapper>&, ::velmo::kiv::IKivPresence* (IKivClient::*)(),
    const char*, int*);
template ::velmo::kiv::IKivHistory* subInterfaceThroughLink(
    const std::weak_ptr<IKivClientWrapper>&, ::velmo::kiv::IKivHistory* (IKivClient::*)(),
    const char*, int*);

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
