// One named user of the shell: an engine of its own, an event sink built with
// CreateQuonKivEventHandler, and the events that sink received.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "library_loader.h"
#include "payload.h"

namespace kivsh {

// A copy of one EventParam, made inside OnEvent (the original dies with it).
struct ReceivedEvent {
  std::string name;
  std::string data;  // JSON text
  std::vector<Bytes> payloads;
};

class EventListener {
 public:
  virtual ~EventListener() = default;
  // Called on SDK threads, one event at a time per sink.
  virtual void onEvent(const std::string& user, const ReceivedEvent& event) = 0;
};

class UserSession {
 public:
  // How many users can exist at once: a sink is a plain function, so each
  // live user holds one of a fixed set of entry points.
  static constexpr int kMaxUsers = 32;

  // Null with `error` set when the engine, the sink or a free entry point is missing.
  static std::unique_ptr<UserSession> open(const KivExports& api, const std::string& name,
                                           EventListener& listener, std::string& error);
  // Destroys the engine first (no event arrives after it), then the sink.
  ~UserSession();

  const std::string& name() const { return name_; }
  QuonKivEngineHandle engine() const { return engine_; }
  QuonEventHandlerHandle sink() const { return sink_; }

  // Takes the first event not taken before that `accept` approves, waiting up
  // to timeoutMs for it to arrive. False on time-out, or as soon as `*cancel`
  // turns true (then `*cancel` is left true for the caller to see).
  bool take(const std::function<bool(const ReceivedEvent&)>& accept, int timeoutMs,
            ReceivedEvent& out, const std::atomic<bool>* cancel = nullptr);
  // Events named `name` received and not taken.
  size_t countWaiting(const std::string& name);

  // Entry point for the sink of slot `slot` (see the .cpp).
  void deliver(const EventParam* event);

 private:
  UserSession(const KivExports& api, std::string name, EventListener& listener)
      : api_(api), name_(std::move(name)), listener_(listener) {}

  struct Entry {
    ReceivedEvent event;
    bool taken = false;
  };

  const KivExports& api_;
  std::string name_;
  EventListener& listener_;
  int slot_ = -1;
  QuonKivEngineHandle engine_ = nullptr;
  QuonEventHandlerHandle sink_ = nullptr;

  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<Entry> events_;
};

}  // namespace kivsh
