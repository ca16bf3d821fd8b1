/* Events per second into a plain C host, the yardstick the binding
 * benchmarks (.NET, Node.js) compare their own rates with: one user publishes
 * N messages of B bytes as fast as it can, another, subscribed to the
 * channel, counts the message events its sink receives; the log is off. The
 * clock runs from the first publish to the N-th message event. The last line
 * is {"events":N,"seconds":S,"rate":R}; it fails when not every event came
 * within a minute.
 *   c_event_rate [N=200000] [B=64]                                          */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "host_kit.h"

static QuonKivEngineHandle user(const HostKitExports* kiv, QuonEventHandlerHandle sink,
                                const char* userId) {
  char config[160];
  QuonKivEngineHandle engine = kiv->CreateQuonKivEngine(NULL);
  snprintf(config, sizeof config, "{\"config\":{\"appId\":\"bench\",\"userId\":\"%s\"}}", userId);
  host_kit_call(kiv, engine, "KivClient_create", config, sink, 0, NULL);
  /* Log off: the rate of events, not of log lines. */
  host_kit_call(kiv, engine, "KivClient_setLogLevel", "{\"level\":0}", NULL, 0, NULL);
  host_kit_call(kiv, engine, "KivClient_login_1fa04dd", "{\"token\":\"t\"}", NULL, 0, NULL);
  return engine;
}

int main(int argc, char** argv) {
  const long total = argc > 1 ? atol(argv[1]) : 200000;
  const size_t size = argc > 2 ? (size_t)atol(argv[2]) : 64;
  const HostKitExports* kiv = host_kit_linked_exports();
  QuonEventHandlerHandle sink = kiv->CreateQuonKivEventHandler(host_kit_sink_callbacks());
  QuonKivEngineHandle sender = user(kiv, sink, "c-sender");
  QuonKivEngineHandle receiver = user(kiv, sink, "c-receiver");
  host_kit_sink_wait(HOST_KIT_RESULTS, 2, 60);
  host_kit_call(kiv, receiver, "KivClient_subscribe_3fae92d",
                "{\"channelName\":\"bench\",\"options\":{\"withMessage\":true}}", NULL, 0, NULL);
  host_kit_sink_wait(HOST_KIT_RESULTS, 3, 60);

  char* payload = (char*)malloc(size ? size : 1);
  char params[128];
  memset(payload, 'x', size);
  snprintf(params, sizeof params,
           "{\"channelName\":\"bench\",\"length\":%zu,\"option\":{\"channelType\":1}}", size);
  const double start = host_kit_now();
  for (long i = 0; i < total; ++i)
    host_kit_call(kiv, sender, "KivClient_publish_2d36e93", params, payload, 0, NULL);
  const int complete = host_kit_sink_wait(HOST_KIT_MESSAGES, total, 60);
  const double seconds = host_kit_now() - start;
  const long seen = host_kit_sink_count(HOST_KIT_MESSAGES);

  kiv->DestroyQuonKivEngine(sender);
  kiv->DestroyQuonKivEngine(receiver);
  kiv->DestroyQuonKivEventHandler(sink);
  free(payload);
  printf("{\"events\":%ld,\"seconds\":%.4f,\"rate\":%.0f}\n", seen, seconds, seen / seconds);
  return complete ? 0 : 1;
}
