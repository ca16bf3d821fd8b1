/* A host written in C: it loads the DLL at run time, calls the exports through
 * cdecl function pointers of its own, and receives an event on the SDK's
 * thread through a sink built by CreateQuonKivEventHandler. Prints each failed
 * check and exits non-zero when there is one. */
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "velmo_kiv_wrapper.h"

/* The records as a C compiler lays them out: seven naturally aligned fields,
   4 bytes each on the shipped 32-bit target. */
#define LAYOUT_CHECK(name, condition) typedef char name[(condition) ? 1 : -1]
#define P sizeof(void*)
LAYOUT_CHECK(api_param_size, sizeof(ApiParam) == 7 * P);
LAYOUT_CHECK(api_param_count_at_6p, offsetof(ApiParam, bufferCount) == 6 * P);
LAYOUT_CHECK(api_param_result_at_3p, offsetof(ApiParam, resultBuffer) == 3 * P);
LAYOUT_CHECK(event_param_size, sizeof(EventParam) == 7 * P);
LAYOUT_CHECK(event_param_length_at_2p, offsetof(EventParam, dataLength) == 2 * P);
LAYOUT_CHECK(event_param_count_at_6p, offsetof(EventParam, bufferCount) == 6 * P);
#undef P

typedef QuonKivEngineHandle(__cdecl* CreateEngineFn)(void* client);
typedef QuonKivEngineHandle(__cdecl* CreateEngineWithTableFn)(const KivProcTable* table);
typedef void(__cdecl* DestroyEngineFn)(QuonKivEngineHandle engine);
typedef int(__cdecl* CallApiFn)(QuonKivEngineHandle engine, ApiParam* param);
typedef QuonEventHandlerHandle(__cdecl* CreateSinkFn)(const HostEventCallbacks* callbacks);
typedef void(__cdecl* DestroySinkFn)(QuonEventHandlerHandle sink);
typedef const char*(__cdecl* ErrorReasonFn)(int code);
typedef const char*(__cdecl* VersionFn)(int* build);

static const char kLoginEvent[] = "KivEventHandler_onLoginResult_4f46899";

static int failures = 0;
static int checks = 0;

static void check(int ok, const char* what) {
  ++checks;
  if (!ok) {
    ++failures;
    printf("FAILED: %s\n", what);
  }
}

/* The login result as the sink saw it, copied on the SDK's thread. */
static HANDLE loginArrived;
static volatile LONG loginTaken = 0;
static char loginData[4096];
static int loginShapeOk = 0;
static DWORD sinkThread = 0;

static void __cdecl onEvent(EventParam* event) {
  if (!event || !event->eventName || strcmp(event->eventName, kLoginEvent) != 0) return;
  if (InterlockedCompareExchange(&loginTaken, 1, 0) != 0) return;
  loginShapeOk = event->data != NULL && event->dataLength == strlen(event->data) &&
                 event->resultBuffer == NULL && event->buffers == NULL && event->bufferCount == 0;
  if (event->data) {
    strncpy(loginData, event->data, sizeof loginData - 1);
  }
  sinkThread = GetCurrentThreadId();
  SetEvent(loginArrived);
}

static int call(CallApiFn callApi, QuonKivEngineHandle engine, const char* api, const char* params,
                void* buffer, char* result) {
  ApiParam p;
  memset(&p, 0, sizeof p);
  p.apiName = api;
  p.params = params;
  p.paramsLength = params ? (unsigned int)strlen(params) : 0;
  p.resultBuffer = result;
  p.buffers = buffer ? &buffer : NULL;
  p.bufferCount = buffer ? 1 : 0;
  result[0] = '\0';
  return callApi(engine, &p);
}

/* The number after "requestId": in a JSON text, or 0. */
static unsigned long long requestIdIn(const char* json) {
  const char* at = strstr(json, "\"requestId\":");
  return at ? strtoull(at + strlen("\"requestId\":"), NULL, 10) : 0;
}

#define RESOLVE(type, name) type name = (type)(void*)GetProcAddress(dll, #name)

int main(void) {
  static char result[QUON_KIV_RESULT_BUFFER_SIZE];
  HMODULE dll = LoadLibraryW(L"VelmoKivWrapper.dll");
  if (!dll) {
    printf("FAILED: LoadLibrary VelmoKivWrapper.dll, error %lu\n", GetLastError());
    return 1;
  }
  RESOLVE(CreateEngineFn, CreateQuonKivEngine);
  RESOLVE(CreateEngineWithTableFn, CreateQuonKivEngineWithProcTable);
  RESOLVE(CreateEngineFn, createQuonKivClient);
  RESOLVE(DestroyEngineFn, DestroyQuonKivEngine);
  RESOLVE(DestroyEngineFn, destroyQuonKivClient);
  RESOLVE(CallApiFn, CallQuonKivApi);
  RESOLVE(CreateSinkFn, CreateQuonKivEventHandler);
  RESOLVE(DestroySinkFn, DestroyQuonKivEventHandler);
  RESOLVE(ErrorReasonFn, GetQuonKivErrorReason);
  RESOLVE(ErrorReasonFn, getQuonKivErrorReason);
  RESOLVE(VersionFn, GetQuonKivVersion);
  if (!CreateQuonKivEngine || !CreateQuonKivEngineWithProcTable || !createQuonKivClient ||
      !DestroyQuonKivEngine || !destroyQuonKivClient || !CallQuonKivApi ||
      !CreateQuonKivEventHandler || !DestroyQuonKivEventHandler || !GetQuonKivErrorReason ||
      !getQuonKivErrorReason || !GetQuonKivVersion) {
    printf("FAILED: an export is missing\n");
    return 1;
  }

  {
    int build = -12345;
    const char* version = GetQuonKivVersion(&build);
    check(version != NULL && build != -12345, "GetQuonKivVersion gives a text and a build");
    check(strcmp(GetQuonKivErrorReason(1), getQuonKivErrorReason(1)) == 0,
          "both error-reason spellings give the same text");
  }

  {
    ApiParam p;
    QuonKivEngineHandle plain = createQuonKivClient(NULL);
    memset(&p, 0, sizeof p);
    p.apiName = "KivNothing_call";
    p.resultBuffer = result;
    check(CallQuonKivApi(NULL, &p) == -1, "a null engine answers -1");
    check(plain != NULL, "createQuonKivClient gives an engine");
    check(CallQuonKivApi(plain, NULL) == -2, "a null record answers -2");
    check(CallQuonKivApi(plain, &p) == -4, "an unknown prefix answers -4");
    destroyQuonKivClient(plain);
    destroyQuonKivClient(NULL);
    DestroyQuonKivEngine(NULL);
  }

  {
    HostEventCallbacks none = {NULL};
    QuonEventHandlerHandle silent = CreateQuonKivEventHandler(&none);
    check(silent != NULL, "a sink without a function can be created");
    DestroyQuonKivEventHandler(silent);
    DestroyQuonKivEventHandler(NULL);
  }

  {
    HostEventCallbacks callbacks = {onEvent};
    QuonKivEngineHandle engine = CreateQuonKivEngineWithProcTable(NULL);
    QuonEventHandlerHandle sink = CreateQuonKivEventHandler(&callbacks);
    unsigned long long requestId = 0;
    loginArrived = CreateEventW(NULL, TRUE, FALSE, NULL);
    check(engine != NULL && sink != NULL, "engine and sink created");
    check(call(CallQuonKivApi, engine, "KivClient_create",
               "{\"config\":{\"appId\":\"c-host-app\",\"userId\":\"c-host-user\"}}", sink,
               result) == 0,
          "KivClient_create with the sink answers 0");
    check(call(CallQuonKivApi, engine, "KivClient_login_1fa04dd", "{\"token\":\"c-host-token\"}",
               NULL, result) == 0,
          "KivClient_login_1fa04dd answers 0");
    requestId = requestIdIn(result);
    check(requestId != 0, "the login answer carries a request id");
    check(WaitForSingleObject(loginArrived, 30000) == WAIT_OBJECT_0,
          "the login result event reaches the C sink");
    check(loginShapeOk, "the event record has name, data, its length, no result buffer");
    check(requestIdIn(loginData) == requestId, "the event carries the login's request id");
    check(sinkThread != 0 && sinkThread != GetCurrentThreadId(),
          "the event came on a thread of the SDK");
    check(call(CallQuonKivApi, engine, "KivClient_release", NULL, NULL, result) == 0,
          "KivClient_release answers 0");
    DestroyQuonKivEngine(engine);
    DestroyQuonKivEventHandler(sink);
    CloseHandle(loginArrived);
  }

  check(FreeLibrary(dll) != 0, "FreeLibrary succeeds");
  printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
