/* Events per second delivered into a plain C host: one user subscribed to
 * its own channel publishes N small messages; the clock stops when the sink
 * has seen N message events. The yardstick for the .NET binding's rate. */
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "velmo_kiv_wrapper.h"

static atomic_int messages;
static atomic_int results;

static void onEvent(EventParam* e) {
  if (strcmp(e->eventName, "KivEventHandler_onMessageEvent_ce5f8f5") == 0)
    atomic_fetch_add(&messages, 1);
  else
    atomic_fetch_add(&results, 1);
}

static char result[QUON_KIV_RESULT_BUFFER_SIZE];

static int call(QuonKivEngineHandle engine, const char* api, const char* params, void* buffer) {
  ApiParam p;
  memset(&p, 0, sizeof p);
  p.apiName = api;
  p.params = params;
  p.paramsLength = (unsigned)strlen(params);
  p.resultBuffer = result;
  p.buffers = &buffer;
  p.bufferCount = buffer ? 1 : 0;
  return CallQuonKivApi(engine, &p);
}

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

static void waitFor(atomic_int* counter, int n) {
  double until = now() + 60;
  while (atomic_load(counter) < n && now() < until) {
    struct timespec pause = {0, 100000};
    nanosleep(&pause, NULL);
  }
}

int main(int argc, char** argv) {
  const int n = argc > 1 ? atoi(argv[1]) : 10000;
  HostEventCallbacks callbacks = {onEvent};
  QuonEventHandlerHandle sink = CreateQuonKivEventHandler(&callbacks);
  QuonKivEngineHandle engine = CreateQuonKivEngineWithProcTable(NULL);
  char text[256];
  snprintf(text, sizeof text, "{\"config\":{\"appId\":\"bench\",\"userId\":\"c-host-%ld\",\"logConfig\":{\"level\":4}}}",
           (long)time(NULL));
  call(engine, "KivClient_create", text, sink);
  call(engine, "KivClient_login_1fa04dd", "{\"token\":\"t\"}", NULL);
  waitFor(&results, 1);
  call(engine, "KivClient_subscribe_3fae92d", "{\"channelName\":\"c-rate\",\"options\":{\"withMessage\":true}}",
       NULL);
  waitFor(&results, 2);

  char payload[16] = "small message";
  const char* publish =
      "{\"channelName\":\"c-rate\",\"length\":13,\"option\":{\"channelType\":1}}";
  const double start = now();
  for (int i = 0; i < n; ++i) call(engine, "KivClient_publish_2d36e93", publish, payload);
  waitFor(&messages, n);
  const double seconds = now() - start;
  const int seen = atomic_load(&messages);
  printf("c host: %d message events in %.3f s = %.0f events/s\n", seen, seconds, seen / seconds);
  call(engine, "KivClient_release", "{}", NULL);
  DestroyQuonKivEngine(engine);
  DestroyQuonKivEventHandler(sink);
  return seen == n ? 0 : 1;
}
