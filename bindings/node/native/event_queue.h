/*
 * The Node.js binding's event queue: event sinks that copy each event into a
 * per-thread queue on the SDK's thread, and the calls through which the
 * JavaScript thread waits for and takes whole batches. An SDK thread never
 * waits for JavaScript: it holds the queue's mutex only to append bytes.
 *
 * Batch layout written by kiv_node_queue_take, per event (native-endian
 * unsigned 32-bit integers, then the bytes, no padding):
 *   tag, name length, data length, buffer count, buffer length x count,
 *   name bytes, data bytes, buffer bytes one after another.
 */
#ifndef VELMO_KIV_NODE_EVENT_QUEUE_H
#define VELMO_KIV_NODE_EVENT_QUEUE_H

#include <stdint.h>

#if defined(_WIN32)
#define KIV_NODE_API __declspec(dllexport)
#define KIV_NODE_CALL __cdecl
#else
#define KIV_NODE_API __attribute__((visibility("default")))
#define KIV_NODE_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KivNodeQueue KivNodeQueue;

/* Bytes of events a queue holds at most by default; past it, events are
 * dropped and counted. */
#define KIV_NODE_QUEUE_DEFAULT_LIMIT (64u * 1024u * 1024u)

/* A new queue, or null when memory is exhausted. Released when the calling
 * thread ends, if it was not released before. */
KIV_NODE_API KivNodeQueue* KIV_NODE_CALL kiv_node_queue_create(void);
/* Drops the creator's hold; the queue lives on while sinks refer to it. */
KIV_NODE_API void KIV_NODE_CALL kiv_node_queue_release(KivNodeQueue* queue);
/* Sets the most bytes of events the queue holds (0 drops every event). */
KIV_NODE_API void KIV_NODE_CALL kiv_node_queue_set_limit(KivNodeQueue* queue, uint32_t bytes);
/* A QuonEventHandler that appends every event to the queue with the tag. */
KIV_NODE_API void* KIV_NODE_CALL kiv_node_sink_create(KivNodeQueue* queue, uint32_t tag);
/* Only once no engine can deliver to the sink any more. */
KIV_NODE_API void KIV_NODE_CALL kiv_node_sink_destroy(void* sink);
/* Events of this sink dropped so far (the queue was full or memory ran out). */
KIV_NODE_API uint32_t KIV_NODE_CALL kiv_node_sink_dropped(void* sink);
/* Waits up to timeoutMs for events: 1 when some are queued, 0 on timeout,
 * -1 when kiv_node_queue_interrupt ended the wait. Woken from an empty queue,
 * it returns half a millisecond later (sooner when 256 KiB are queued), with
 * the events that arrived meanwhile in the same batch. */
KIV_NODE_API int32_t KIV_NODE_CALL kiv_node_queue_wait(KivNodeQueue* queue, int32_t timeoutMs);
/* Ends the current wait, or the next one if none is in progress. */
KIV_NODE_API void KIV_NODE_CALL kiv_node_queue_interrupt(KivNodeQueue* queue);
/* Copies whole events, oldest first, into out: the bytes written (0 when
 * nothing is queued), or minus the size the first event needs when it does
 * not fit. Called by one thread at a time. */
KIV_NODE_API int32_t KIV_NODE_CALL kiv_node_queue_take(KivNodeQueue* queue, uint8_t* out,
                                                       uint32_t capacity);
/* Events of every sink dropped so far (the queue was full or memory ran out). */
KIV_NODE_API uint32_t KIV_NODE_CALL kiv_node_queue_dropped(KivNodeQueue* queue);

#ifdef __cplusplus
}
#endif

#endif
