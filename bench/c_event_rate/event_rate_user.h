/* The publishing user both C event-rate hosts share (the C host program and
 * its publisher loaded into a binding's process), so that they publish alike. */
#ifndef VELMO_EVENT_RATE_USER_H
#define VELMO_EVENT_RATE_USER_H

#include "host_kit.h"

/* An engine whose client reports to `sink`, with the log off (the rate of
 * events, not of log lines) and its login requested. */
QuonKivEngineHandle event_rate_user(const HostKitExports* kiv, QuonEventHandlerHandle sink,
                                    const char* userId);

/* Publishes `total` messages of `size` bytes to `channel`, each call right
 * after the previous one returns. */
void event_rate_publish(const HostKitExports* kiv, QuonKivEngineHandle engine, const char* channel,
                        long long total, size_t size);

#endif
