/*
 * VelmoKivWrapper: drive the messaging SDK by API name and JSON text.
 *
 * Usable from C and C++. Every export is a plain, undecorated symbol; on
 * 32-bit Windows the calling convention is cdecl. The records below are
 * exactly seven naturally aligned fields (28 bytes on a 32-bit target).
 *
 * Return codes of CallQuonKivApi: 0 success; -1 null engine; -2 missing or
 * malformed parameters; -4 no module for the name's prefix; -7 no SDK client;
 * -1009 unknown API name. docs/api-reference.md lists every API and event.
 */
#ifndef VELMO_KIV_WRAPPER_H
#define VELMO_KIV_WRAPPER_H

#if defined(_WIN32) && !defined(_WIN64)
#define QUON_CALL __cdecl
#else
#define QUON_CALL
#endif

#if defined(_WIN32)
#if defined(VELMO_KIV_WRAPPER_BUILDING)
#define QUON_API __declspec(dllexport)
#else
#define QUON_API __declspec(dllimport)
#endif
#else
#define QUON_API __attribute__((visibility("default")))
#endif

/* The size a result buffer must have: results are cut to 65535 characters. */
#define QUON_KIV_RESULT_BUFFER_SIZE 65536

#ifdef __cplusplus
namespace velmo {
namespace kiv {
class IKivClient;
struct KivConfig;
}  // namespace kiv
namespace quon {
namespace kiv {
class QuonEventHandler;
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
typedef velmo::kiv::IKivClient* QuonKivClientPtr;
typedef const velmo::kiv::KivConfig* QuonKivConfigPtr;
typedef velmo::quon::kiv::QuonEventHandler* QuonEventHandlerHandle;
extern "C" {
#else
typedef void* QuonKivClientPtr;
typedef const void* QuonKivConfigPtr;
typedef void* QuonEventHandlerHandle;
#endif

/* An engine handle; opaque, only passed back to the library. */
typedef void* QuonKivEngineHandle;

/* One call: filled by the host, read and partly written by the engine. */
typedef struct ApiParam {
  const char* apiName;       /* e.g. "KivClient_login_1fa04dd"; must not be null */
  const char* params;        /* JSON text, or null */
  unsigned int paramsLength; /* bytes of params to parse; 0 means no parameters */
  char* resultBuffer;        /* at least QUON_KIV_RESULT_BUFFER_SIZE bytes */
  void** buffers;            /* raw buffers; element 0 is the payload or sink */
  unsigned int* bufferLengths;
  unsigned int bufferCount; /* only 1 has an effect */
} ApiParam;

/* One event: valid only during the OnEvent call; copy what you keep. */
typedef struct EventParam {
  const char* eventName;   /* e.g. "KivEventHandler_onLoginResult_4f46899" */
  const char* data;        /* JSON text, NUL-terminated */
  unsigned int dataLength; /* bytes of data, without the NUL */
  char* resultBuffer;      /* always null */
  void** buffers;          /* payloads of message and history events, else null */
  unsigned int* bufferLengths;
  unsigned int bufferCount;
} EventParam;

typedef void(QUON_CALL* QuonOnEventFn)(EventParam* event);

/* Only onEvent is read; it is called on SDK threads. */
typedef struct HostEventCallbacks {
  QuonOnEventFn onEvent;
} HostEventCallbacks;

/* The SDK client factory; the record must outlive the engine. */
typedef struct KivProcTable {
  QuonKivClientPtr(QUON_CALL* createKivClient)(QuonKivConfigPtr config, int* errorCode);
} KivProcTable;

QUON_API QuonKivEngineHandle QUON_CALL CreateQuonKivEngine(QuonKivClientPtr client);
QUON_API QuonKivEngineHandle QUON_CALL CreateQuonKivEngineWithProcTable(const KivProcTable* table);
QUON_API QuonKivEngineHandle QUON_CALL createQuonKivClient(QuonKivClientPtr client);
QUON_API void QUON_CALL DestroyQuonKivEngine(QuonKivEngineHandle engine);
QUON_API void QUON_CALL destroyQuonKivClient(QuonKivEngineHandle engine);
QUON_API int QUON_CALL CallQuonKivApi(QuonKivEngineHandle engine, ApiParam* param);
QUON_API QuonEventHandlerHandle QUON_CALL
CreateQuonKivEventHandler(const HostEventCallbacks* callbacks);
QUON_API void QUON_CALL DestroyQuonKivEventHandler(QuonEventHandlerHandle handler);
QUON_API const char* QUON_CALL GetQuonKivErrorReason(int errorCode);
QUON_API const char* QUON_CALL getQuonKivErrorReason(int errorCode);
QUON_API const char* QUON_CALL GetQuonKivVersion(int* build);

#ifdef __cplusplus
}
#endif

#endif /* VELMO_KIV_WRAPPER_H */
