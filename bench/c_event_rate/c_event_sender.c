/* The C host's publisher inside a binding's process: one user of its own
 * publishes N messages of B bytes to a channel as fast as it can, through the
 * library the binding already loaded from `path` (opening the same file again
 * gives the same library), so that the binding's engines receive them. With
 * the publishing the same as the C host's, a binding benchmark times only
 * what differs: events into its handlers.
 *   double c_event_sender_run(path, channel, N, B)
 * returns the seconds the N calls took, or -1 when the library could not be
 * opened or the user not logged in within a minute.                        */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "host_kit.h"

#if defined(_WIN32)
#define SENDER_API __declspec(dllexport)
#else
#define SENDER_API __attribute__((visibility("default")))
#endif

SENDER_API double c_event_sender_run(const char* path, const char* channel, long long total,
                                     long long size) {
  static HostKitLibrary library; /* stays open: the host keeps the library loaded anyway */
  if (!library.handle && !host_kit_open(&library, path)) return -1;
  const HostKitExports* kiv = &library.exports;
  QuonEventHandlerHandle sink = kiv->CreateQuonKivEventHandler(host_kit_sink_callbacks());
  QuonKivEngineHandle sender = kiv->CreateQuonKivEngine(NULL);
  char json[256];
  snprintf(json, sizeof json, "{\"config\":{\"appId\":\"bench\",\"userId\":\"c-sender-%s\"}}",
           channel);
  host_kit_call(kiv, sender, "KivClient_create", json, sink, 0, NULL);
  host_kit_call(kiv, sender, "KivClient_setLogLevel", "{\"level\":0}", NULL, 0, NULL);
  const long results = host_kit_sink_count(HOST_KIT_RESULTS);
  host_kit_call(kiv, sender, "KivClient_login_1fa04dd", "{\"token\":\"t\"}", NULL, 0, NULL);
  double seconds = -1;
  if (host_kit_sink_wait(HOST_KIT_RESULTS, results + 1, 60)) {
    char* payload = (char*)malloc(size > 0 ? (size_t)size : 1);
    memset(payload, 'x', size > 0 ? (size_t)size : 1);
    snprintf(json, sizeof json,
             "{\"channelName\":\"%s\",\"length\":%lld,\"option\":{\"channelType\":1}}", channel,
             size);
    const double start = host_kit_now();
    for (long long i = 0; i < total; ++i)
      host_kit_call(kiv, sender, "KivClient_publish_2d36e93", json, payload, 0, NULL);
    seconds = host_kit_now() - start;
    free(payload);
  }
  kiv->DestroyQuonKivEngine(sender);
  kiv->DestroyQuonKivEventHandler(sink);
  return seconds;
}
