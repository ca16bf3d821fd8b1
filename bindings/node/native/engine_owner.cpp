// The engines of each JavaScript thread, destroyed when the thread ends.
#include "engine_owner.h"

#include <algorithm>
#include <new>
#include <vector>

#include "velmo_kiv_wrapper.h"

namespace {

struct OwnedEngine {
  void* engine;
  void* sink;
};

// Empty on a thread that closed everything itself; otherwise its destructor
// runs after the thread's JavaScript environment is gone.
class ThreadOwned {
 public:
  ~ThreadOwned() {
    // Engines before sinks: once an engine is destroyed no SDK thread
    // delivers to its sink.
    for (auto it = engines.rbegin(); it != engines.rend(); ++it) {
      DestroyQuonKivEngine(it->engine);
      kiv_node_sink_destroy(it->sink);
    }
    engines.clear();
    for (KivNodeQueue* queue : queues) {
      kiv_node_queue_interrupt(queue);  // a wait still pending returns at once
      kiv_node_queue_release(queue);
    }
  }

  std::vector<OwnedEngine> engines;
  std::vector<KivNodeQueue*> queues;
};

thread_local ThreadOwned owned;

template <typename T, typename Match>
void eraseIf(std::vector<T>& items, Match match) {
  items.erase(std::remove_if(items.begin(), items.end(), match), items.end());
}

}  // namespace

namespace kiv_node_owner {

bool adoptQueue(KivNodeQueue* queue) {
  try {
    owned.queues.push_back(queue);
    return true;
  } catch (...) {
    return false;
  }
}

void forgetQueue(KivNodeQueue* queue) {
  eraseIf(owned.queues, [queue](KivNodeQueue* q) { return q == queue; });
}

}  // namespace kiv_node_owner

extern "C" {

int32_t KIV_NODE_CALL kiv_node_engine_adopt(void* engine, void* sink) {
  try {
    owned.engines.push_back({engine, sink});
    return 1;
  } catch (...) {
    return 0;
  }
}

void KIV_NODE_CALL kiv_node_engine_destroy(void* engine, void* sink) {
  eraseIf(owned.engines, [engine](const OwnedEngine& e) { return e.engine == engine; });
  DestroyQuonKivEngine(engine);
  kiv_node_sink_destroy(sink);
}

}  // extern "C"
