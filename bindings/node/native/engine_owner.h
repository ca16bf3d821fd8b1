/*
 * The engines, sinks and queues of each JavaScript thread, destroyed when
 * that thread ends however it ends (a worker terminated mid-call, or
 * process.exit on a worker), so that no client stays logged in and no queue
 * keeps filling for a thread that is gone.
 */
#ifndef VELMO_KIV_NODE_ENGINE_OWNER_H
#define VELMO_KIV_NODE_ENGINE_OWNER_H

#include "event_queue.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Records an engine and its sink as the calling thread's: both are destroyed
 * (the engine first) when the thread ends. Returns 0 when memory ran out. */
KIV_NODE_API int32_t KIV_NODE_CALL kiv_node_engine_adopt(void* engine, void* sink);
/* Destroys the engine, then its sink, and forgets them. */
KIV_NODE_API void KIV_NODE_CALL kiv_node_engine_destroy(void* engine, void* sink);

#ifdef __cplusplus
}

namespace kiv_node_owner {
// A queue made on the calling thread, released when the thread ends.
bool adoptQueue(KivNodeQueue* queue);
void forgetQueue(KivNodeQueue* queue);
}  // namespace kiv_node_owner
#endif

#endif
