/*
 * One call through CallQuonKivApi with the ApiParam record and the result
 * buffer kept here: the JavaScript side passes plain arguments and reads the
 * result as text, instead of marshalling a record and 64 KiB on every call.
 */
#ifndef VELMO_KIV_NODE_API_CALL_H
#define VELMO_KIV_NODE_API_CALL_H

#include <stdint.h>

#include "event_queue.h"

#ifdef __cplusplus
extern "C" {
#endif

/* params: NUL-terminated JSON of paramsLength bytes, or null. buffer: the
 * call's single buffer (a payload or an event sink), or null. Returns
 * CallQuonKivApi's code; the result text stays in a buffer of the calling
 * thread until its next call. */
KIV_NODE_API int32_t KIV_NODE_CALL kiv_node_call(void* engine, const char* apiName,
                                                 const char* params, uint32_t paramsLength,
                                                 void* buffer, uint32_t bufferLength);
/* The result text of the calling thread's last call ("" when none). */
KIV_NODE_API const char* KIV_NODE_CALL kiv_node_result(void);

#ifdef __cplusplus
}
#endif

#endif
