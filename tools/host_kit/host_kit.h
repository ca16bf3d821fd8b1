/* The host kit: what the project's own C and C++ hosts (tests, benchmarks,
 * the queue check) share to drive the library through its eleven exports,
 * so that each of them does not load, call and wait in its own way. Hosts
 * that must prove the installed header alone is enough do not use it. */
#ifndef VELMO_HOST_KIT_H
#define VELMO_HOST_KIT_H

#include <stddef.h>

#include "velmo_kiv_wrapper.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The eleven exports, resolved from a loaded file or taken from the linked
 * library. */
typedef struct HostKitExports {
  QuonKivEngineHandle(QUON_CALL* CreateQuonKivEngine)(QuonKivClientPtr);
  QuonKivEngineHandle(QUON_CALL* CreateQuonKivEngineWithProcTable)(const KivProcTable*);
  QuonKivEngineHandle(QUON_CALL* createQuonKivClient)(QuonKivClientPtr);
  void(QUON_CALL* DestroyQuonKivEngine)(QuonKivEngineHandle);
  void(QUON_CALL* destroyQuonKivClient)(QuonKivEngineHandle);
  int(QUON_CALL* CallQuonKivApi)(QuonKivEngineHandle, ApiParam*);
  QuonEventHandlerHandle(QUON_CALL* CreateQuonKivEventHandler)(const HostEventCallbacks*);
  void(QUON_CALL* DestroyQuonKivEventHandler)(QuonEventHandlerHandle);
  const char*(QUON_CALL* GetQuonKivErrorReason)(int);
  const char*(QUON_CALL* getQuonKivErrorReason)(int);
  const char*(QUON_CALL* GetQuonKivVersion)(int*);
} HostKitExports;

/* A library file opened at run time (dlopen / LoadLibrary). */
typedef struct HostKitLibrary {
  void* handle;
  HostKitExports exports;
  char error[256]; /* why the last open failed; empty after a success */
} HostKitLibrary;

/* Opens `path` and resolves all eleven exports. Returns 1, or 0 with
 * library->error set and nothing left open. */
int host_kit_open(HostKitLibrary* library, const char* path);
/* Closes what host_kit_open opened; safe on a library that failed to open.
 * Returns 1 when a library was open and the system let it go. */
int host_kit_close(HostKitLibrary* library);
/* The exports of the library this program is linked with (host_kit_linked). */
const HostKitExports* host_kit_linked_exports(void);

/* One call from an API name and JSON text (null: no parameters), with buffer
 * 0 (the payload or the sink; null: none) of `length` bytes (0: not given).
 * The result lands in `result` (QUON_KIV_RESULT_BUFFER_SIZE bytes; null: a
 * buffer of the calling thread). Returns the library's code. */
int host_kit_call(const HostKitExports* exports, QuonKivEngineHandle engine, const char* api,
                  const char* json, void* buffer, unsigned length, char* result);

/* Seconds on a monotonic clock (one clock for every process of a machine). */
double host_kit_now(void);
/* Sleeps about `seconds`. */
void host_kit_pause(double seconds);

/* The sink: counts every event, the message events and the request results
 * apart, and copies the events whose names were asked for. The library's
 * callback carries no context, so there is one sink per process; its
 * callbacks may be registered on any number of engines. */
typedef enum HostKitCount {
  HOST_KIT_EVENTS,   /* every event */
  HOST_KIT_MESSAGES, /* names holding "onMessageEvent" */
  HOST_KIT_RESULTS   /* names holding "Result" */
} HostKitCount;

/* The callbacks to register with CreateQuonKivEventHandler. */
const HostEventCallbacks* host_kit_sink_callbacks(void);
/* Sets the counts to zero and drops the copies. Not while events arrive. */
void host_kit_sink_reset(void);
/* Copies each event whose name holds `fragment` (null: none) from now on;
 * call it while no events arrive. */
void host_kit_sink_copy(const char* fragment);
long host_kit_sink_count(HostKitCount which);
/* Waits until the count reaches `atLeast`, at most `seconds`; 1 when it did. */
int host_kit_sink_wait(HostKitCount which, long atLeast, double seconds);
/* The data of the `index`th copied event (from 0) into `data` (NUL-ended,
 * cut to `capacity`), its first payload's length into *payloadLength when
 * not null. Returns 1, or 0 when there is no such copy. */
int host_kit_sink_copied(size_t index, char* data, size_t capacity, unsigned* payloadLength);

#ifdef __cplusplus
}
#endif

#endif /* VELMO_HOST_KIT_H */
