/* The smallest host: create an engine, register a sink, make calls, destroy. */
#include <stdio.h>
#include <string.h>

#include "velmo_kiv_wrapper.h"

static void QUON_CALL onEvent(EventParam* event) {
  printf("event %s %.*s\n", event->eventName, (int)event->dataLength, event->data);
}

static int call(QuonKivEngineHandle engine, const char* api, const char* params, void* buffer) {
  static char result[QUON_KIV_RESULT_BUFFER_SIZE];
  ApiParam p;
  memset(&p, 0, sizeof p);
  p.apiName = api;
  p.params = params;
  p.paramsLength = params ? (unsigned int)strlen(params) : 0;
  p.resultBuffer = result;
  p.buffers = buffer ? &buffer : NULL;
  p.bufferCount = buffer ? 1 : 0;
  int code = CallQuonKivApi(engine, &p);
  printf("%s -> %d %s\n", api, code, code == -4 || code == -1 || code == -2 ? "" : result);
  return code;
}

int main(void) {
  int build = 0;
  const char* version = GetQuonKivVersion(&build);
  printf("sdk version %s build %d\n", version, build);

  QuonKivEngineHandle engine = CreateQuonKivEngine(NULL);
  HostEventCallbacks callbacks = {onEvent};
  QuonEventHandlerHandle sink = CreateQuonKivEventHandler(&callbacks);

  int code = call(engine, "KivClient_create",
                  "{\"config\":{\"appId\":\"demo-app\",\"userId\":\"alice\"}}", sink);
  call(engine, "KivClient_login_1fa04dd", "{\"token\":\"demo-token-123\"}", NULL);
  call(engine, "KivNothing_call", "{}", NULL);
  call(engine, "KivClient_release", NULL, NULL);

  DestroyQuonKivEngine(engine);
  DestroyQuonKivEventHandler(sink);
  return code == 0 ? 0 : 1;
}
