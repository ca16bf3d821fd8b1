/* A host written in C: it loads the DLL at run time, calls the exports through
 * cdecl function pointers (the host kit's), and receives an event on the SDK's
 * thread through a sink built by CreateQuonKivEventHandler. Prints each failed
 * check and exits non-zero when there is one. */
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "host_kit.h"

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

static int call(const HostKitExports* kiv, QuonKivEngineHandle engine, const char* api,
                const char* params, void* buffer, char* result) {
  result[0] = '\0';
  return host_kit_call(kiv, engine, api, params, buffer, 0, result);
}

/* The number after "requestId": in a JSON text, or 0. */
static unsigned long long requestIdIn(const char* json) {
  const char* at = strstr(json, "\"requestId\":");
  return at ? strtoull(at + strlen("\"requestId\":"), NULL, 10) : 0;
}

int main(void) {
  static char result[QUON_KIV_RESULT_BUFFER_SIZE];
  HostKitLibrary library;
  if (!host_kit_open(&library, "VelmoKivWrapper.dll")) {
    printf("FAILED: %s\n", library.error);
    return 1;
  }
  const HostKitExports* kiv = &library.exports;

  {
    int build = -12345;
    const char* version = kiv->GetQuonKivVersion(&build);
    check(version != NULL && build != -12345, "GetQuonKivVersion gives a text and a build");
    check(strcmp(kiv->GetQuonKivErrorReason(1), kiv->getQuonKivErrorReason(1)) == 0,
          "both error-reason spellings give the same text");
  }

  {
    ApiParam p;
    QuonKivEngineHandle plain = kiv->createQuonKivClient(NULL);
    memset(&p, 0, sizeof p);
    p.apiName = "KivNothing_call";
    p.resultBuffer = result;
    check(kiv->CallQuonKivApi(NULL, &p) == -1, "a null engine answers -1");
    check(plain != NULL, "createQuonKivClient gives an engine");
    check(kiv->CallQuonKivApi(plain, NULL) == -2, "a null record answers -2");
    check(kiv->CallQuonKivApi(plain, &p) == -4, "an unknown prefix answers -4");
    kiv->destroyQuonKivClient(plain);
    kiv->destroyQuonKivClient(NULL);
    kiv->DestroyQuonKivEngine(NULL);
  }

  {
    HostEventCallbacks none = {NULL};
    QuonEventHandlerHandle silent = kiv->CreateQuonKivEventHandler(&none);
    check(silent != NULL, "a sink without a function can be created");
    kiv->DestroyQuonKivEventHandler(silent);
    kiv->DestroyQuonKivEventHandler(NULL);
  }

  {
    HostEventCallbacks callbacks = {onEvent};
    QuonKivEngineHandle engine = kiv->CreateQuonKivEngineWithProcTable(NULL);
    QuonEventHandlerHandle sink = kiv->CreateQuonKivEventHandler(&callbacks);
    unsigned long long requestId = 0;
    loginArrived = CreateEventW(NULL, TRUE, FALSE, NULL);
    check(engine != NULL && sink != NULL, "engine and sink created");
    check(call(kiv, engine, "KivClient_create",
               "{\"config\":{\"appId\":\"c-host-app\",\"userId\":\"c-host-user\"}}", sink,
               result) == 0,
          "KivClient_create with the sink answers 0");
    check(call(kiv, engine, "KivClient_login_1fa04dd", "{\"token\":\"c-host-token\"}", NULL,
               result) == 0,
          "KivClient_login_1fa04dd answers 0");
    requestId = requestIdIn(result);
    check(requestId != 0, "the login answer carries a request id");
    check(WaitForSingleObject(loginArrived, 30000) == WAIT_OBJECT_0,
          "the login result event reaches the C sink");
    check(loginShapeOk, "the event record has name, data, its length, no result buffer");
    check(requestIdIn(loginData) == requestId, "the event carries the login's request id");
    check(sinkThread != 0 && sinkThread != GetCurrentThreadId(),
          "the event came on a thread of the SDK");
    check(call(kiv, engine, "KivClient_release", NULL, NULL, result) == 0,
          "KivClient_release answers 0");
    kiv->DestroyQuonKivEngine(engine);
    kiv->DestroyQuonKivEventHandler(sink);
    CloseHandle(loginArrived);
  }

  check(host_kit_close(&library), "FreeLibrary succeeds");
  printf("%d passed, %d failed\n", checks - failures, failures);
  return failures == 0 ? 0 : 1;
}
