/* The counting and copying sink. Counting is lock-free, so that a rate
 * benchmark measures the library rather than the sink; copies are taken
 * under a spin lock, only for the names asked for. */
#include <stdatomic.h>
#include <stdlib.h>
#include <string.h>

#include "host_kit.h"

typedef struct Copy {
  char* data;
  unsigned payloadLength;
} Copy;

static atomic_long counts[3];
static char copyFragment[128];
static atomic_int copying;
static atomic_flag copiesLock = ATOMIC_FLAG_INIT;
static Copy* copies;
static size_t copyCount, copyCapacity;

static void lock_copies(void) {
  while (atomic_flag_test_and_set_explicit(&copiesLock, memory_order_acquire)) host_kit_pause(0);
}
static void unlock_copies(void) { atomic_flag_clear_explicit(&copiesLock, memory_order_release); }

static void keep_copy(const EventParam* event) {
  char* data = (char*)malloc(event->dataLength + 1);
  if (!data) return;
  memcpy(data, event->data, event->dataLength);
  data[event->dataLength] = '\0';
  const unsigned payloadLength =
      event->bufferCount > 0 && event->bufferLengths ? event->bufferLengths[0] : 0;
  lock_copies();
  if (copyCount == copyCapacity) {
    const size_t capacity = copyCapacity ? 2 * copyCapacity : 64;
    Copy* grown = (Copy*)realloc(copies, capacity * sizeof *grown);
    if (!grown) {
      unlock_copies();
      free(data);
      return;
    }
    copies = grown;
    copyCapacity = capacity;
  }
  copies[copyCount].data = data;
  copies[copyCount].payloadLength = payloadLength;
  ++copyCount;
  unlock_copies();
}

static void QUON_CALL on_event(EventParam* event) {
  /* The copy first: a host that saw the count reached reads the copy next. */
  if (atomic_load(&copying) && strstr(event->eventName, copyFragment)) keep_copy(event);
  atomic_fetch_add(&counts[HOST_KIT_EVENTS], 1);
  if (strstr(event->eventName, "onMessageEvent")) atomic_fetch_add(&counts[HOST_KIT_MESSAGES], 1);
  if (strstr(event->eventName, "Result")) atomic_fetch_add(&counts[HOST_KIT_RESULTS], 1);
}

const HostEventCallbacks* host_kit_sink_callbacks(void) {
  static const HostEventCallbacks callbacks = {on_event};
  return &callbacks;
}

void host_kit_sink_reset(void) {
  for (int i = 0; i < 3; ++i) atomic_store(&counts[i], 0);
  lock_copies();
  for (size_t i = 0; i < copyCount; ++i) free(copies[i].data);
  copyCount = 0;
  unlock_copies();
}

void host_kit_sink_copy(const char* fragment) {
  atomic_store(&copying, 0);
  if (!fragment) return;
  strncpy(copyFragment, fragment, sizeof copyFragment - 1);
  copyFragment[sizeof copyFragment - 1] = '\0';
  atomic_store(&copying, 1);
}

long host_kit_sink_count(HostKitCount which) { return atomic_load(&counts[which]); }

int host_kit_sink_wait(HostKitCount which, long atLeast, double seconds) {
  const double until = host_kit_now() + seconds;
  while (atomic_load(&counts[which]) < atLeast) {
    if (host_kit_now() >= until) return 0;
    host_kit_pause(0.0002);
  }
  return 1;
}

int host_kit_sink_copied(size_t index, char* data, size_t capacity, unsigned* payloadLength) {
  int found = 0;
  lock_copies();
  if (index < copyCount) {
    found = 1;
    if (capacity > 0) {
      strncpy(data, copies[index].data, capacity - 1);
      data[capacity - 1] = '\0';
    }
    if (payloadLength) *payloadLength = copies[index].payloadLength;
  }
  unlock_copies();
  return found;
}
