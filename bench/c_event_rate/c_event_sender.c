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

#include "event_rate_user.h"
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
  char userId[128];
  snprintf(userId, sizeof userId, "c-sender-%s", channel);
  const long results = host_kit_sink_count(HOST_KIT_RESULTS);
  QuonKivEngineHandle sender = event_rate_user(kiv, sink, userId);
  double seconds = -1;
  if (host_kit_sink_wait(HOST_KIT_RESULTS, results + 1, 60)) {
    const double start = host_kit_now();
    event_rate_publish(kiv, sender, channel, total, size > 0 ? (size_t)size : 0);
    seconds = host_kit_now() - start;
  }
  kiv->DestroyQuonKivEngine(sender);
  kiv->DestroyQuonKivEventHandler(sink);
  return seconds;
}
