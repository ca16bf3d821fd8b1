/* The C host's side of the Node.js event benchmark: one user publishes N
 * messages on the loopback SDK as fast as it can, another counts the message
 * events its sink receives. Prints {"events":N,"seconds":S,"rate":R}.
 *   node_bench_c_host [N] [PAYLOAD_BYTES]                                   */
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "velmo_kiv_wrapper.h"

static atomic_long messages;
static atomic_int results; /* login and subscribe results seen */

static void QUON_CALL countEvents(EventParam* event) {
  if (strstr(event->eventName, "onMessageEvent")) atomic_fetch_add(&messages, 1);
  else if (strstr(event->eventName, "Result")) atomic_fetch_add(&results, 1);
}

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

static void pause_briefly(void) {
  struct timespec t = {0, 200000};
  nanosleep(&t, NULL);
}

static int call(QuonKivEngineHandle engine, const char* api, const char* params, void* buffer) {
  static char result[QUON_KIV_RESULT_BUFFER_SIZE];
  ApiParam p;
  memset(&p, 0, sizeof p);
  p.apiName = api;
  p.params = params;
  p.paramsLength = params ? (unsigned int)strlen(params) : 0;
  p.resultBuffer = result;
  p.buffers = buffer ? &buffer : NULL;
  p.bufferCount = buffer ? 1 : 0;
  return CallQuonKivApi(engine, &p);
}

static void wait_results(int count) {
  while (atomic_load(&results) < count) pause_briefly();
}

int main(int argc, char** argv) {
  long total = argc > 1 ? atol(argv[1]) : 200000;
  size_t size = argc > 2 ? (size_t)atol(argv[2]) : 64;
  char params[256];
  HostEventCallbacks callbacks = {countEvents};
  QuonEventHandlerHandle sink = CreateQuonKivEventHandler(&callbacks);
  QuonKivEngineHandle sender = CreateQuonKivEngine(NULL);
  QuonKivEngineHandle receiver = CreateQuonKivEngine(NULL);
  char* payload = malloc(size ? size : 1);
  memset(payload, 'x', size);

  call(sender, "KivClient_create", "{\"config\":{\"appId\":\"bench\",\"userId\":\"c-sender\"}}", sink);
  call(receiver, "KivClient_create", "{\"config\":{\"appId\":\"bench\",\"userId\":\"c-receiver\"}}",
       sink);
  /* Log off: the rate of events, not of log lines. */
  call(sender, "KivClient_setLogLevel", "{\"level\":0}", NULL);
  call(sender, "KivClient_login_1fa04dd", "{\"token\":\"t\"}", NULL);
  call(receiver, "KivClient_login_1fa04dd", "{\"token\":\"t\"}", NULL);
  wait_results(2);
  call(receiver, "KivClient_subscribe_3fae92d",
       "{\"channelName\":\"bench\",\"options\":{\"withMessage\":true}}", NULL);
  wait_results(3);

  snprintf(params, sizeof params,
           "{\"channelName\":\"bench\",\"length\":%zu,\"option\":{\"channelType\":1}}", size);
  double start = now();
  for (long i = 0; i < total; ++i) call(sender, "KivClient_publish_2d36e93", params, payload);
  while (atomic_load(&messages) < total) pause_briefly();
  double seconds = now() - start;

  call(sender, "KivClient_release", NULL, NULL);
  call(receiver, "KivClient_release", NULL, NULL);
  DestroyQuonKivEngine(sender);
  DestroyQuonKivEngine(receiver);
  DestroyQuonKivEventHandler(sink);
  free(payload);
  printf("{\"events\":%ld,\"seconds\":%.4f,\"rate\":%.0f}\n", total, seconds, total / seconds);
  return 0;
}
