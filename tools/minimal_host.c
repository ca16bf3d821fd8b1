/* A minimal host: create an engine and a sink, log in, print the events. */
#include <stdatomic.h>
#include <stdio.h>
#include <string.h>
#ifdef _WIN32
#include <windows.h>
#define pause_ms(ms) Sleep(ms)
#else
#include <unistd.h>
#define pause_ms(ms) usleep((ms)*1000)
#endif
#include "velmo_kiv_wrapper.h"

static atomic_int loginAnswered;

static void QUON_CALL onEvent(EventParam* e) { /* called on SDK threads */
  printf("event %s %.*s\n", e->eventName, (int)e->dataLength, e->data);
  fflush(stdout);
  if (strcmp(e->eventName, "KivEventHandler_onLoginResult_4f46899") == 0) loginAnswered = 1;
}

int main(void) {
  static char result[QUON_KIV_RESULT_BUFFER_SIZE];
  QuonKivEngineHandle engine = CreateQuonKivEngine(NULL);
  HostEventCallbacks callbacks = {onEvent};
  QuonEventHandlerHandle sink = CreateQuonKivEventHandler(&callbacks);

  const char* config = "{\"config\":{\"appId\":\"demo-app\",\"userId\":\"alice\"}}";
  void* buffers[1] = {sink}; /* the sink travels as buffer 0 */
  ApiParam create = {
      "KivClient_create", config, (unsigned)strlen(config), result, buffers, NULL, 1};
  int code = CallQuonKivApi(engine, &create);
  printf("create: %d %s\n", code, result); /* 0 {"errorCode":0,"result":0} */

  const char* token = "{\"token\":\"alice-token\"}";
  ApiParam login = {
      "KivClient_login_1fa04dd", token, (unsigned)strlen(token), result, NULL, NULL, 0};
  code = CallQuonKivApi(engine, &login);
  printf("login: %d %s\n", code, result); /* 0 {"requestId":N,"result":0} */

  /* The outcome arrives later as an event: wait for it (at most 10 s). */
  for (int waited = 0; code == 0 && !loginAnswered && waited < 10000; waited += 10) pause_ms(10);

  DestroyQuonKivEngine(engine);     /* the engine first: no event arrives after it */
  DestroyQuonKivEventHandler(sink); /* then its sink */
  return code == 0 && loginAnswered ? 0 : 1;
}
