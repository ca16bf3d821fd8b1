/* A C host using the installed header and library: the calls that need no SDK client. */
#include <stdio.h>
#include <string.h>
#include <velmo_kiv_wrapper.h>

static int failures = 0;

static void expect(int ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

static void QUON_CALL ignoreEvent(EventParam* event) { (void)event; }

static int call(QuonKivEngineHandle engine, const char* api, const char* params, char* result) {
  ApiParam p;
  memset(&p, 0, sizeof p);
  p.apiName = api;
  p.params = params;
  p.paramsLength = params ? (unsigned int)strlen(params) : 0;
  p.resultBuffer = result;
  return CallQuonKivApi(engine, &p);
}

int main(void) {
  static char result[QUON_KIV_RESULT_BUFFER_SIZE];
  int build = -1;
  const char* version = GetQuonKivVersion(&build);
  expect(version != NULL && version[0] != '\0', "GetQuonKivVersion gives a text");
  expect(GetQuonKivErrorReason(0) != NULL, "GetQuonKivErrorReason gives a text");

  QuonKivEngineHandle engine = CreateQuonKivEngine(NULL);
  expect(engine != NULL, "CreateQuonKivEngine");
  HostEventCallbacks callbacks = {ignoreEvent};
  QuonEventHandlerHandle sink = CreateQuonKivEventHandler(&callbacks);
  expect(sink != NULL, "CreateQuonKivEventHandler");

  expect(call(NULL, "KivClient_login_1fa04dd", "{}", result) == -1, "null engine gives -1");
  expect(call(engine, "Nothing_call", "{}", result) == -4, "unknown prefix gives -4");
  result[0] = '\0';
  expect(call(engine, "KivClient_login_1fa04dd", "{\"token\":\"t\"}", result) == -7,
         "login before create gives -7");
  expect(strcmp(result, "null") == 0, "the -7 result is null");

  DestroyQuonKivEngine(engine);
  DestroyQuonKivEventHandler(sink);
  if (failures == 0) printf("c_host: version %s build %d, all checks passed\n", version, build);
  return failures == 0 ? 0 : 1;
}
