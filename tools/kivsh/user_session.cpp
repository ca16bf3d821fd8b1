#include "user_session.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <utility>

namespace kivsh {

namespace {

// Untaken events kept per user; the oldest are dropped beyond it so a long
// interactive session does not grow without bound.
constexpr size_t kMaxKeptEvents = 10000;

std::array<std::atomic<UserSession*>, UserSession::kMaxUsers> g_slots{};
std::mutex g_slotsMutex;  // guards claiming and freeing, not delivery

template <int Slot>
void QUON_CALL onEventInSlot(EventParam* event) {
  if (UserSession* session = g_slots[Slot].load()) session->deliver(event);
}

template <size_t... I>
constexpr std::array<QuonOnEventFn, sizeof...(I)> makeEntryPoints(std::index_sequence<I...>) {
  return {&onEventInSlot<static_cast<int>(I)>...};
}

const std::array<QuonOnEventFn, UserSession::kMaxUsers> kEntryPoints =
    makeEntryPoints(std::make_index_sequence<UserSession::kMaxUsers>{});

int claimSlot(UserSession* session) {
  std::lock_guard<std::mutex> lock(g_slotsMutex);
  for (int i = 0; i < UserSession::kMaxUsers; ++i) {
    if (!g_slots[i].load()) {
      g_slots[i].store(session);
      return i;
    }
  }
  return -1;
}

void freeSlot(int slot) {
  if (slot < 0) return;
  std::lock_guard<std::mutex> lock(g_slotsMutex);
  g_slots[slot].store(nullptr);
}

}  // namespace

std::unique_ptr<UserSession> UserSession::open(const KivExports& api, const std::string& name,
                                               EventListener& listener, std::string& error) {
  std::unique_ptr<UserSession> session(new UserSession(api, name, listener));
  session->slot_ = claimSlot(session.get());
  if (session->slot_ < 0) {
    error = "too many users (at most " + std::to_string(kMaxUsers) + " at once)";
    return nullptr;
  }
  HostEventCallbacks callbacks{kEntryPoints[session->slot_]};
  session->sink_ = api.CreateQuonKivEventHandler(&callbacks);
  session->engine_ = api.CreateQuonKivEngineWithProcTable(nullptr);
  if (!session->sink_ || !session->engine_) {
    error = "the library could not create an engine and a sink";
    return nullptr;
  }
  return session;
}

UserSession::~UserSession() {
  if (engine_) api_.DestroyQuonKivEngine(engine_);
  freeSlot(slot_);
  if (sink_) api_.DestroyQuonKivEventHandler(sink_);
}

void UserSession::deliver(const EventParam* event) {
  if (!event) return;
  ReceivedEvent copy;
  copy.name = event->eventName ? event->eventName : "";
  if (event->data) copy.data.assign(event->data, event->dataLength);
  if (event->buffers) {
    for (unsigned int i = 0; i < event->bufferCount; ++i) {
      const char* bytes = static_cast<const char*>(event->buffers[i]);
      const unsigned int length = event->bufferLengths ? event->bufferLengths[i] : 0;
      copy.payloads.push_back(bytes ? Bytes(bytes, length) : Bytes());
    }
  }
  // Shown before it can be taken, so a wait's report never precedes its event.
  listener_.onEvent(name_, copy);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back({std::move(copy), false});
    if (events_.size() > kMaxKeptEvents) events_.pop_front();
  }
  arrived_.notify_all();
}

bool UserSession::take(const std::function<bool(const ReceivedEvent&)>& accept, int timeoutMs,
                       ReceivedEvent& out, const std::atomic<bool>* cancel) {
  // A cancel flag is set from a signal handler, which cannot notify: look at
  // it every slice.
  constexpr std::chrono::milliseconds kCancelSlice{50};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock<std::mutex> lock(mutex_);
  size_t checked = 0;  // events before this index were already refused
  while (true) {
    for (; checked < events_.size(); ++checked) {
      Entry& entry = events_[checked];
      if (entry.taken || !accept(entry.event)) continue;
      entry.taken = true;
      out = entry.event;
      while (!events_.empty() && events_.front().taken) events_.pop_front();
      return true;
    }
    if (cancel && cancel->load()) return false;
    const auto until =
        cancel ? std::min(deadline, std::chrono::steady_clock::now() + kCancelSlice) : deadline;
    if (arrived_.wait_until(lock, until) == std::cv_status::timeout &&
        std::chrono::steady_clock::now() >= deadline) {
      // One last look: an event may have come in just before the deadline.
      if (checked == events_.size()) return false;
    }
  }
}

size_t UserSession::countWaiting(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t count = 0;
  for (const Entry& entry : events_) count += !entry.taken && entry.event.name == name;
  return count;
}

}  // namespace kivsh
