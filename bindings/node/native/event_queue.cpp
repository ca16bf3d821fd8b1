// Event sinks that copy events into a queue; the JavaScript thread takes them
// in batches. See event_queue.h for the batch layout.
#include "event_queue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "engine_owner.h"
#include "quon_event_handler.h"

struct KivNodeQueue {
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<uint8_t> pending;                 // appended by SDK threads under the mutex
  size_t limit = KIV_NODE_QUEUE_DEFAULT_LIMIT;  // most bytes pending; guarded by the mutex
  bool interrupted = false;
  std::atomic<uint32_t> dropped{0};
  std::atomic<int> holds{1};
  // Owned by the taking thread: a swapped-out batch and how far it was read.
  std::vector<uint8_t> taking;
  size_t takingOffset = 0;

  void hold() { holds.fetch_add(1); }
  void release() {
    if (holds.fetch_sub(1) == 1) delete this;
  }
};

namespace {

constexpr size_t kWord = sizeof(uint32_t);
// A drained batch buffer larger than this is freed rather than kept for reuse,
// so that a burst does not pin its peak memory.
constexpr size_t kKeptCapacity = size_t(1) << 20;
// Once the first event of a quiet queue has woken the waiter, it waits this
// much longer (or until this many bytes are queued) before returning, so that
// the events that follow join the same batch: every return wakes the
// JavaScript thread, and a wake-up per event costs more than the event.
constexpr auto kGatherTime = std::chrono::microseconds(500);
constexpr size_t kGatherBytes = size_t(256) << 10;

// The outcome of a request the host made ("KivEventHandler_onLoginResult_…")
// is never dropped: a request would otherwise wait forever, and there are no
// more of them than requests. The limit bounds what others send.
bool isResultEvent(const char* name) { return std::strstr(name, "Result_") != nullptr; }

void putWord(uint8_t*& at, uint32_t value) {
  std::memcpy(at, &value, kWord);
  at += kWord;
}

void putBytes(uint8_t*& at, const void* bytes, size_t length) {
  if (length) std::memcpy(at, bytes, length);
  at += length;
}

uint32_t wordAt(const uint8_t* at) {
  uint32_t value;
  std::memcpy(&value, at, kWord);
  return value;
}

// The size of one encoded event that starts at `at`.
size_t encodedSize(const uint8_t* at) {
  const uint32_t count = wordAt(at + 3 * kWord);
  size_t size = (4 + size_t(count)) * kWord + wordAt(at + kWord) + wordAt(at + 2 * kWord);
  for (uint32_t i = 0; i < count; ++i) size += wordAt(at + (4 + i) * kWord);
  return size;
}

class QueueSink final : public velmo::quon::kiv::QuonEventHandler {
 public:
  QueueSink(KivNodeQueue* queue, uint32_t tag) : queue_(queue), tag_(tag) { queue_->hold(); }
  ~QueueSink() override { queue_->release(); }

  // Runs on SDK threads: copies the event and returns; never throws.
  void OnEvent(EventParam* event) override {
    if (!event) return;
    bool kept = false;
    try {
      kept = append(*event);
    } catch (...) {
    }
    if (!kept) {
      dropped_.fetch_add(1);
      queue_->dropped.fetch_add(1);
    }
  }

  uint32_t dropped() const { return dropped_.load(); }

 private:
  // False when the event would take the queue past its limit.
  bool append(const EventParam& event) {
    const char* name = event.eventName ? event.eventName : "";
    const size_t nameLength = std::strlen(name);
    const size_t dataLength = event.data ? event.dataLength : 0;
    const uint32_t count = event.buffers && event.bufferLengths ? event.bufferCount : 0;
    size_t size = (4 + size_t(count)) * kWord + nameLength + dataLength;
    for (uint32_t i = 0; i < count; ++i) {
      size += event.buffers[i] ? event.bufferLengths[i] : 0;
    }
    // The JavaScript side reads sizes as signed 32-bit numbers.
    if (size > INT32_MAX) throw std::bad_alloc();

    std::lock_guard<std::mutex> lock(queue_->mutex);
    std::vector<uint8_t>& pending = queue_->pending;
    const size_t start = pending.size();
    if (!isResultEvent(name) && size > queue_->limit - std::min(start, queue_->limit)) return false;
    pending.resize(start + size);
    uint8_t* at = pending.data() + start;
    putWord(at, tag_);
    putWord(at, uint32_t(nameLength));
    putWord(at, uint32_t(dataLength));
    putWord(at, count);
    for (uint32_t i = 0; i < count; ++i) putWord(at, event.buffers[i] ? event.bufferLengths[i] : 0);
    putBytes(at, name, nameLength);
    putBytes(at, event.data, dataLength);
    for (uint32_t i = 0; i < count; ++i) {
      if (event.buffers[i]) putBytes(at, event.buffers[i], event.bufferLengths[i]);
    }
    // The first event wakes a waiter, and the one that fills a gathering batch.
    if (start == 0 || (start < kGatherBytes && start + size >= kGatherBytes)) {
      queue_->arrived.notify_one();
    }
    return true;
  }

  KivNodeQueue* queue_;
  uint32_t tag_;
  std::atomic<uint32_t> dropped_{0};
};

}  // namespace

extern "C" {

KivNodeQueue* KIV_NODE_CALL kiv_node_queue_create(void) {
  KivNodeQueue* queue = new (std::nothrow) KivNodeQueue;
  if (queue && !kiv_node_owner::adoptQueue(queue)) {
    delete queue;
    return nullptr;
  }
  return queue;
}

void KIV_NODE_CALL kiv_node_queue_release(KivNodeQueue* queue) {
  if (!queue) return;
  kiv_node_owner::forgetQueue(queue);
  queue->release();
}

void KIV_NODE_CALL kiv_node_queue_set_limit(KivNodeQueue* queue, uint32_t bytes) {
  if (!queue) return;
  std::lock_guard<std::mutex> lock(queue->mutex);
  queue->limit = bytes;
}

void* KIV_NODE_CALL kiv_node_sink_create(KivNodeQueue* queue, uint32_t tag) {
  if (!queue) return nullptr;
  return static_cast<velmo::quon::kiv::QuonEventHandler*>(new (std::nothrow) QueueSink(queue, tag));
}

void KIV_NODE_CALL kiv_node_sink_destroy(void* sink) {
  delete static_cast<velmo::quon::kiv::QuonEventHandler*>(sink);
}

uint32_t KIV_NODE_CALL kiv_node_sink_dropped(void* sink) {
  auto* handler = static_cast<velmo::quon::kiv::QuonEventHandler*>(sink);
  return handler ? static_cast<QueueSink*>(handler)->dropped() : 0;
}

int32_t KIV_NODE_CALL kiv_node_queue_wait(KivNodeQueue* queue, int32_t timeoutMs) {
  if (!queue) return -1;
  // The wait runs off the JavaScript thread, which may end meanwhile and
  // release the queue: the wait keeps it alive until it returns.
  queue->hold();
  int32_t outcome;
  {
    std::unique_lock<std::mutex> lock(queue->mutex);
    const bool quiet = queue->pending.empty();
    const bool woken =
        queue->arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                                [queue] { return queue->interrupted || !queue->pending.empty(); });
    if (quiet && woken) {
      queue->arrived.wait_for(lock, kGatherTime, [queue] {
        return queue->interrupted || queue->pending.size() >= kGatherBytes;
      });
    }
    outcome = queue->interrupted ? -1 : woken ? 1 : 0;
    queue->interrupted = false;
  }
  queue->release();
  return outcome;
}

void KIV_NODE_CALL kiv_node_queue_interrupt(KivNodeQueue* queue) {
  if (!queue) return;
  std::lock_guard<std::mutex> lock(queue->mutex);
  queue->interrupted = true;
  queue->arrived.notify_all();
}

int32_t KIV_NODE_CALL kiv_node_queue_take(KivNodeQueue* queue, uint8_t* out, uint32_t capacity) {
  if (!queue || !out) return 0;
  std::vector<uint8_t>& taking = queue->taking;
  if (queue->takingOffset == taking.size()) {
    const bool shrink = taking.capacity() > kKeptCapacity;
    if (shrink) {
      std::vector<uint8_t>().swap(taking);
    } else {
      taking.clear();
    }
    queue->takingOffset = 0;
    {
      std::lock_guard<std::mutex> lock(queue->mutex);
      taking.swap(queue->pending);
    }
#if defined(__GLIBC__)
    // Freed blocks of a burst stay in the heap otherwise.
    if (shrink) malloc_trim(0);
#endif
  }
  size_t written = 0;
  while (queue->takingOffset < taking.size()) {
    const uint8_t* event = taking.data() + queue->takingOffset;
    const size_t size = encodedSize(event);
    if (written + size > capacity) {
      return written ? int32_t(written) : -int32_t(size);
    }
    std::memcpy(out + written, event, size);
    written += size;
    queue->takingOffset += size;
  }
  return int32_t(written);
}

uint32_t KIV_NODE_CALL kiv_node_queue_dropped(KivNodeQueue* queue) {
  return queue ? queue->dropped.load() : 0;
}

}  // extern "C"
