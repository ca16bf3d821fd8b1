/*
 * Where the library's console log lines go. A library of its own that
 * depends on nothing but the C library, so that the binding can choose
 * before the wrapper is loaded (the wrapper writes its first lines while it
 * loads).
 */
#ifndef VELMO_KIV_NODE_LIBRARY_OUTPUT_H
#define VELMO_KIV_NODE_LIBRARY_OUTPUT_H

#include <stdint.h>

#include "event_queue.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
  KIV_NODE_OUTPUT_DEFAULT = -1, /* none, unless a choice was made before */
  KIV_NODE_OUTPUT_NONE = 0,
  KIV_NODE_OUTPUT_STDERR = 1,
  KIV_NODE_OUTPUT_STDOUT = 2
};
/* Sends the library's console log lines nowhere, to standard error or to
 * standard output, for the whole process (the log file is not affected).
 * Returns 0 where the platform's C library cannot redirect them (they stay on
 * standard output). */
KIV_NODE_API int32_t KIV_NODE_CALL kiv_node_library_output(int32_t where);

#ifdef __cplusplus
}
#endif

#endif
