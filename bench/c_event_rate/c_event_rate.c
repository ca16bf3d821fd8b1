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

#include "event_rate_user.h"
#include "host_kit.h"

int main(int argc, char** argv) {
  const long total = argc > 1 ? atol(argv[1]) : 200000;
  const size_t size = argc > 2 ? (size_t)atol(argv[2]) : 64;
  const HostKitExports* kiv = host_kit_linked_exports();
  QuonEventHandlerHandle sink = kiv->CreateQuonKivEventHandler(host_kit_sink_callbacks());
  QuonKivEngineHandle sender = event_rate_user(kiv, sink, "c-sender");
  QuonKivEngineHandle receiver = event_rate_user(kiv, sink, "c-receiver");
  host_kit_sink_wait(HOST_KIT_RESULTS, 2, 60);
  host_kit_call(kiv, receiver, "KivClient_subscribe_3fae92d",
                "{\"channelName\":\"bench\",\"options\":{\"withMessage\":true}}", NULL, 0, NULL);
  host_kit_sink_wait(HOST_KIT_RESULTS, 3, 60);

  const double start = host_kit_now();
  event_rate_publish(kiv, sender, "bench", total, size);
  const int complete = host_kit_sink_wait(HOST_KIT_MESSAGES, total, 60);
  const double seconds = host_kit_now() - start;
  const long seen = host_kit_sink_count(HOST_KIT_MESSAGES);

  kiv->DestroyQuonKivEngine(sender);
  kiv->DestroyQuonKivEngine(receiver);
  kiv->DestroyQuonKivEventHandler(sink);
  printf("{\"events\":%ld,\"seconds\":%.4f,\"rate\":%.0f}\n", seen, seconds, seen / seconds);
  return complete ? 0 : 1;
}
