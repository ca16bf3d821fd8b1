/* The event-queue library with the wrapper on the target platform (under Wine
 * for the 32-bit DLLs): its sink registered through "KivClient_create", the
 * login result and a message with binary payload taken back in the batch
 * layout, a full queue that drops messages but keeps request outcomes, an
 * interrupted wait, and the engine destroyed with its sink. Exits 0 when all
 * hold. */
#include <stdio.h>
#include <string.h>

#include "engine_owner.h"
#include "event_queue.h"
#include "host_kit.h"

static int failures;
#define CHECK(condition) \
  ((condition) ? (void)0 : (void)(failures++, fprintf(stderr, "failed: %s\n", #condition)))

static int call(QuonKivEngineHandle engine, const char* api, const char* params, void* buffer) {
  return host_kit_call(host_kit_linked_exports(), engine, api, params, buffer, 0, NULL);
}

static int contains(const uint8_t* bytes, uint32_t length, const char* text) {
  size_t n = strlen(text);
  for (uint32_t i = 0; i + n <= length; ++i) {
    if (memcmp(bytes + i, text, n) == 0) return 1;
  }
  return 0;
}

static uint32_t word(const uint8_t* at) {
  uint32_t value;
  memcpy(&value, at, sizeof value);
  return value;
}

/* Waits for the event whose name contains `name`; copies its first payload. */
static int await_event(KivNodeQueue* queue, const char* name, char* payload, uint32_t* length) {
  static uint8_t batch[1 << 16];
  for (int round = 0; round < 100; ++round) {
    kiv_node_queue_wait(queue, 100);
    int32_t size = kiv_node_queue_take(queue, batch, sizeof batch);
    for (int32_t at = 0; at < size;) {
      const uint8_t* event = batch + at;
      uint32_t nameLength = word(event + 4), dataLength = word(event + 8), count = word(event + 12);
      const uint8_t* bytes = event + 16 + 4 * count;
      uint32_t payloads = 0;
      for (uint32_t i = 0; i < count; ++i) payloads += word(event + 16 + 4 * i);
      CHECK(word(event) == 7);
      int match = contains(bytes, nameLength, name);
      if (match && count > 0) {
        *length = word(event + 16);
        memcpy(payload, bytes + nameLength + dataLength, *length);
      }
      at += 16 + 4 * count + nameLength + dataLength + payloads;
      if (match) return 1;
    }
  }
  return 0;
}

int main(void) {
  KivNodeQueue* queue = kiv_node_queue_create();
  void* sink = kiv_node_sink_create(queue, 7);
  QuonKivEngineHandle engine = CreateQuonKivEngine(NULL);
  CHECK(kiv_node_engine_adopt(engine, sink) == 1);
  char payload[16] = {0};
  uint32_t length = 0;

  CHECK(call(engine, "KivClient_create",
             "{\"config\":{\"appId\":\"q\",\"userId\":\"queue-check\"}}", sink) == 0);
  CHECK(call(engine, "KivClient_login_1fa04dd", "{\"token\":\"t\"}", NULL) == 0);
  CHECK(await_event(queue, "onLoginResult", payload, &length));
  CHECK(call(engine, "KivClient_subscribe_3fae92d", "{\"channelName\":\"q\",\"options\":{}}",
             NULL) == 0);
  CHECK(await_event(queue, "onSubscribeResult", payload, &length));
  CHECK(call(engine, "KivClient_publish_2d36e93",
             "{\"channelName\":\"q\",\"length\":3,\"option\":{\"channelType\":1}}", "a\0b") == 0);
  CHECK(await_event(queue, "onMessageEvent", payload, &length));
  CHECK(length == 3 && memcmp(payload, "a\0b", 3) == 0);
  CHECK(kiv_node_queue_dropped(queue) == 0);

  /* No room at all: the message is dropped and counted, its outcome kept. */
  kiv_node_queue_set_limit(queue, 0);
  CHECK(call(engine, "KivClient_publish_2d36e93",
             "{\"channelName\":\"q\",\"length\":1,\"option\":{\"channelType\":1}}", "z") == 0);
  CHECK(await_event(queue, "onPublishResult", payload, &length));
  for (int round = 0; round < 100 && kiv_node_sink_dropped(sink) == 0; ++round) {
    kiv_node_queue_wait(queue, 10);
  }
  CHECK(kiv_node_sink_dropped(sink) == 1);
  CHECK(kiv_node_queue_dropped(queue) == 1);
  kiv_node_queue_set_limit(queue, KIV_NODE_QUEUE_DEFAULT_LIMIT);
  kiv_node_queue_interrupt(queue);
  CHECK(kiv_node_queue_wait(queue, 5000) == -1);

  kiv_node_engine_destroy(engine, sink);
  kiv_node_queue_release(queue);
  printf(failures ? "queue check failed\n" : "queue check passed\n");
  return failures ? 1 : 0;
}
