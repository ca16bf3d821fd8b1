/* The library between partners built in MSVC's ABI, driven by a host in C.
 * Beside this program lie VelmoKivWrapper.dll (this project's MinGW build),
 * the MSVC-ABI stand-in velmo_kiv_sdk.dll and velmo_msvc_sink.dll, a C++
 * sink in MSVC's ABI. Two engines: one reports to the MSVC sink, the other to
 * a sink made by CreateQuonKivEventHandler. Each creates its client, logs in
 * and makes the operations below, whose answers say whether the stand-in got
 * the arguments as sent; releasing the client waits for the stand-in's thread,
 * which has by then called all 47 callbacks. Every event must have reached
 * each sink once, exactly as expected_events.txt has it, and
 * DestroyQuonKivEventHandler must run the MSVC sink's destructor. Prints each
 * difference; exits 0 only when there is none. */
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "abi_contract.h"
#include "velmo_kiv_wrapper.h"

#define EVENT_COUNT 47
#define MAX_BUFFERS 4
#define QUOTED(x) #x
#define NUMBER_TEXT(x) QUOTED(x)

static int failures = 0;

static void fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  ++failures;
  printf("FAILED: ");
  vprintf(format, args);
  printf("\n");
  va_end(args);
}

/* ---- the expected events ---------------------------------------------- */

typedef struct {
  const char* name;
  const char* body;                  /* payload addresses stand as @buffer<i>@ */
  const char* payloads[MAX_BUFFERS]; /* hexadecimal */
  unsigned payloadCount;
} ExpectedEvent;

static ExpectedEvent expected[EVENT_COUNT];

/* Reads the file beside this program: lines of name, body and payloads,
 * separated by tabs; lines starting with '#' are comments. */
static int readExpected(void) {
  char path[MAX_PATH + 32];
  DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
  char* slash;
  FILE* file;
  long size;
  char* text;
  char* line;
  int count = 0;
  if (length == 0 || length >= MAX_PATH || !(slash = strrchr(path, '\\'))) return 0;
  strcpy(slash + 1, "expected_events.txt");
  if (!(file = fopen(path, "rb"))) {
    fail("cannot open %s", path);
    return 0;
  }
  fseek(file, 0, SEEK_END);
  size = ftell(file);
  fseek(file, 0, SEEK_SET);
  text = (char*)calloc(1, (size_t)size + 1);
  if (!text || fread(text, 1, (size_t)size, file) != (size_t)size) size = -1;
  fclose(file);
  if (size < 0) return 0;
  for (line = strtok(text, "\n"); line; line = strtok(NULL, "\n")) {
    char* field;
    ExpectedEvent* e;
    if (line[0] == '#') continue;
    if (count == EVENT_COUNT) {
      fail("%s holds more than %d events", path, EVENT_COUNT);
      return 0;
    }
    e = &expected[count++];
    e->name = line;
    field = strchr(line, '\t');
    if (!field) {
      fail("%s: no body in the line of %s", path, line);
      return 0;
    }
    *field = '\0';
    e->body = ++field;
    while ((field = strchr(field, '\t')) != NULL && e->payloadCount < MAX_BUFFERS) {
      *field = '\0';
      e->payloads[e->payloadCount++] = ++field;
    }
  }
  if (count != EVENT_COUNT) fail("%s holds %d events, not %d", path, count, EVENT_COUNT);
  return count == EVENT_COUNT;
}

static int expectedIndex(const char* name) {
  int i;
  for (i = 0; name && i < EVENT_COUNT; ++i)
    if (strcmp(expected[i].name, name) == 0) return i;
  return -1;
}

/* ---- what reached each sink -------------------------------------------- */

typedef struct {
  int arrivals;
  char* data;
  int recordShapeOk; /* NUL-terminated data of dataLength bytes, no result buffer */
  unsigned bufferCount;
  unsigned long long addresses[MAX_BUFFERS];
  unsigned lengths[MAX_BUFFERS];
  unsigned char* bytes[MAX_BUFFERS];
} Arrival;

typedef struct {
  const char* label;
  Arrival arrived[EVENT_COUNT];
  int strangers; /* events whose name is not in the file */
  char strangerName[128];
} SinkRecord;

static SinkRecord sinks[2] = {{.label = "MSVC C++ sink"}, {.label = "C sink"}};

/* On the stand-in's thread; one sink's events come one at a time. What is
 * recorded is read after the client's release has waited for that thread. */
static void record(SinkRecord* sink, const EventParam* event) {
  const int index = event ? expectedIndex(event->eventName) : -1;
  Arrival* a;
  unsigned i;
  if (index < 0) {
    if (sink->strangers++ == 0 && event && event->eventName)
      strncpy(sink->strangerName, event->eventName, sizeof sink->strangerName - 1);
    return;
  }
  a = &sink->arrived[index];
  if (a->arrivals++ > 0) return;
  a->recordShapeOk = event->data && event->data[event->dataLength] == '\0' &&
                     strlen(event->data) == event->dataLength && event->resultBuffer == NULL;
  a->data = (char*)malloc(event->dataLength + 1);
  if (a->data && event->data) memcpy(a->data, event->data, event->dataLength + 1);
  a->bufferCount = event->bufferCount;
  for (i = 0; i < event->bufferCount && i < MAX_BUFFERS && event->buffers && event->bufferLengths;
       ++i) {
    a->addresses[i] = (unsigned long long)(UINT_PTR)event->buffers[i];
    a->lengths[i] = event->bufferLengths[i];
    a->bytes[i] = (unsigned char*)malloc(a->lengths[i] + 1);
    if (a->bytes[i] && event->buffers[i]) memcpy(a->bytes[i], event->buffers[i], a->lengths[i]);
  }
}

static void QUON_CALL onMsvcSinkEvent(EventParam* event) { record(&sinks[0], event); }
static void QUON_CALL onCSinkEvent(EventParam* event) { record(&sinks[1], event); }

/* The expected body with each @buffer<i>@ replaced by the address that came. */
static char* render(const char* body, const Arrival* a) {
  char* out = (char*)malloc(strlen(body) + 1 + 64 * MAX_BUFFERS);
  char* at = out;
  while (out && *body) {
    const int placeholder = strncmp(body, "@buffer", 7) == 0 && body[7] >= '0' &&
                            body[7] < '0' + MAX_BUFFERS && body[8] == '@';
    if (placeholder) {
      at += sprintf(at, "%llu", a->addresses[body[7] - '0']);
      body += 9;
    } else {
      *at++ = *body++;
    }
  }
  if (out) *at = '\0';
  return out;
}

static int sameAsHex(const unsigned char* bytes, unsigned length, const char* hex) {
  unsigned i;
  if (strlen(hex) != 2 * (size_t)length || (length && !bytes)) return 0;
  for (i = 0; i < length; ++i) {
    unsigned value;
    if (sscanf(hex + 2 * i, "%2x", &value) != 1 || value != bytes[i]) return 0;
  }
  return 1;
}

static void compareSink(const SinkRecord* sink) {
  int i;
  for (i = 0; i < EVENT_COUNT; ++i) {
    const ExpectedEvent* e = &expected[i];
    const Arrival* a = &sink->arrived[i];
    char* wanted;
    unsigned b;
    if (a->arrivals != 1) {
      fail("%s: %s arrived %d times", sink->label, e->name, a->arrivals);
      if (a->arrivals == 0) continue;
    }
    wanted = render(e->body, a);
    if (!wanted || !a->data || strcmp(wanted, a->data) != 0)
      fail("%s: %s differs\n  expected %s\n  arrived  %s", sink->label, e->name,
           wanted ? wanted : "?", a->data ? a->data : "?");
    free(wanted);
    if (!a->recordShapeOk)
      fail("%s: %s: data, its length or the result buffer wrong", sink->label, e->name);
    if (a->bufferCount != e->payloadCount) {
      fail("%s: %s carries %u buffers, not %u", sink->label, e->name, a->bufferCount,
           e->payloadCount);
      continue;
    }
    for (b = 0; b < e->payloadCount; ++b)
      if (!sameAsHex(a->bytes[b], a->lengths[b], e->payloads[b]))
        fail("%s: %s: payload %u differs from %s", sink->label, e->name, b, e->payloads[b]);
  }
  if (sink->strangers)
    fail("%s: %d unknown events, the first %s", sink->label, sink->strangers, sink->strangerName);
}

/* ---- the operations ---------------------------------------------------- */

static char result[QUON_KIV_RESULT_BUFFER_SIZE];

static int call(QuonKivEngineHandle engine, const char* api, const char* params, void* buffer) {
  ApiParam p;
  memset(&p, 0, sizeof p);
  p.apiName = api;
  p.params = params;
  p.paramsLength = params ? (unsigned)strlen(params) : 0;
  p.resultBuffer = result;
  p.buffers = buffer ? &buffer : NULL;
  p.bufferCount = buffer ? 1 : 0;
  result[0] = '\0';
  return CallQuonKivApi(engine, &p);
}

#define CHANNEL "\"channelName\":\"" ABI_CHANNEL "\""

typedef struct {
  const char* api;
  const char* params;
  const char* payload; /* the call's buffer, or NULL */
  int operation;       /* an asynchronous call: its AbiOperation; else 0 */
  const char* answer;  /* what the result of a synchronous call holds */
} Operation;

/* The JSON in pieces of whole keys. */
/* clang-format off */
static const Operation operations[] = {
    {"KivClient_login_1fa04dd", "{\"token\":\"" ABI_TOKEN "\"}", NULL, ABI_OP_LOGIN, NULL},
    {"KivClient_setParameters_3a2037f", "{\"parameters\":\"" ABI_PARAMETERS "\"}", NULL, 0,
     "\"result\":" NUMBER_TEXT(ABI_PARAMETERS_ACCEPTED)},
    {"KivClient_publish_2d36e93",
     "{" CHANNEL ",\"length\":" NUMBER_TEXT(ABI_PAYLOAD_LENGTH) ","
     "\"option\":{\"channelType\":2,\"messageType\":1,\"customType\":\"abi-custom\","
     "\"storeInHistory\":true}}",
     ABI_PAYLOAD, ABI_OP_PUBLISH, NULL},
    {"KivClient_subscribe_3fae92d",
     "{" CHANNEL ",\"options\":{\"withMessage\":false,\"withMetadata\":true,"
     "\"withPresence\":false,\"withLock\":true,\"beQuiet\":true}}",
     NULL, ABI_OP_SUBSCRIBE, NULL},
    {"KivClient_createStreamChannel_ae3d0cf", "{" CHANNEL "}", NULL, 0, "\"errorCode\":0"},
    {"StreamChannel_join_2090a6b",
     "{" CHANNEL ",\"options\":{\"token\":\"" ABI_TOKEN "\",\"withMetadata\":true,"
     "\"withPresence\":false,\"withLock\":true,\"beQuiet\":false}}",
     NULL, ABI_OP_JOIN, NULL},
    {"StreamChannel_publishTopicMessage_a31773e",
     "{" CHANNEL ",\"topic\":\"" ABI_TOPIC "\","
     "\"length\":" NUMBER_TEXT(ABI_TOPIC_PAYLOAD_LENGTH) ","
     "\"option\":{\"messageType\":3,\"sendTs\":1700000000123,"
     "\"customType\":\"abi-topic-type\"}}",
     ABI_TOPIC_PAYLOAD, ABI_OP_TOPIC_PUBLISH, NULL},
    {"StreamChannel_release", "{" CHANNEL "}", NULL, 0, "\"result\":0"},
    {"KivStorage_setChannelMetadata_55e6d00",
     "{" CHANNEL ",\"channelType\":2,\"data\":{\"majorRevision\":12,\"items\":[{\"key\":\"k1\","
     "\"value\":\"v1\"},{\"key\":\"k2\",\"value\":\"v2\",\"revision\":5000000000}],"
     "\"itemCount\":2},\"options\":{\"recordTs\":true,\"recordUserId\":false},"
     "\"lockName\":\"" ABI_LOCK "\"}",
     NULL, ABI_OP_STORAGE, NULL},
    {"KivLock_setLock_89e5672",
     "{" CHANNEL ",\"channelType\":1,\"lockName\":\"" ABI_LOCK "\",\"ttl\":3000000000}", NULL,
     ABI_OP_LOCK, NULL},
    {"KivPresence_setState_b73723a",
     "{" CHANNEL ",\"channelType\":2,\"items\":[{\"key\":\"k1\",\"value\":\"v1\"},"
     "{\"key\":\"k2\",\"value\":\"v2\"}],\"count\":2}",
     NULL, ABI_OP_PRESENCE, NULL},
    {"KivHistory_getMessages_e5877fc",
     "{" CHANNEL ",\"channelType\":1,\"options\":{\"messageCount\":42,\"start\":1700000000001,"
     "\"end\":1700000000999}}",
     NULL, ABI_OP_HISTORY, NULL},
    {"KivClient_logout_90386a9", NULL, NULL, ABI_OP_LOGOUT, NULL},
    /* Waits for the stand-in's thread: every event has arrived after it. */
    {"KivClient_release", NULL, NULL, 0, "\"result\":0"},
};
/* clang-format on */

static const char kConfig[] =
    "{\"config\":{\"appId\":\"" ABI_APP_ID "\",\"userId\":\"abi-user\",\"areaCode\":17,"
    "\"presenceTimeout\":301,\"context\":" NUMBER_TEXT(ABI_CONTEXT) ",\"useStringUserId\":false,"
    "\"multipath\":true,\"ispPolicyEnabled\":true,\"logConfig\":{\"fileSizeInKB\":2048},"
    "\"proxyConfig\":{\"port\":8080,\"password\":\"" ABI_PROXY_PASSWORD "\"},"
    "\"privateConfig\":{\"accessPointHosts\":[\"ap-1.example\",\"" ABI_SECOND_ACCESS_POINT "\"],"
    "\"accessPointHostsCount\":2}}}";

static void runOperations(const char* label, QuonKivEngineHandle engine, void* sink) {
  size_t i;
  int code = call(engine, "KivClient_create", kConfig, sink);
  if (code != 0 || !strstr(result, "\"errorCode\":0"))
    fail("%s: KivClient_create answered %d %s (the stand-in refuses the configuration with %d)",
         label, code, result, ABI_CONFIG_REFUSED);
  for (i = 0; i < sizeof operations / sizeof operations[0]; ++i) {
    const Operation* op = &operations[i];
    const char* at;
    code = call(engine, op->api, op->params, (void*)op->payload);
    if (op->operation) {
      at = strstr(result, "\"requestId\":");
      if (code != 0 || !at ||
          strtoull(at + strlen("\"requestId\":"), NULL, 10) != ABI_ACCEPTED(op->operation))
        fail("%s: %s answered %d %s, not request id %llu (%llu: an argument differs)", label,
             op->api, code, result, ABI_ACCEPTED(op->operation), ABI_REFUSED(op->operation));
    } else if (code != 0 || !strstr(result, op->answer)) {
      fail("%s: %s answered %d %s, without %s", label, op->api, code, result, op->answer);
    }
  }
}

typedef QuonEventHandlerHandle(__cdecl* CreateForwardingSinkFn)(QuonOnEventFn onEvent,
                                                                volatile LONG* destroyed);

int main(void) {
  static volatile LONG msvcSinkDestroyed = 0;
  HostEventCallbacks cCallbacks = {onCSinkEvent};
  QuonKivEngineHandle engines[2];
  QuonEventHandlerHandle handlers[2];
  CreateForwardingSinkFn createForwardingSink;
  HMODULE sinkDll;
  int build = 0;
  const char* version;
  int i;

  setvbuf(stdout, NULL, _IONBF, 0);
  if (!readExpected()) return 1;
  version = GetQuonKivVersion(&build);
  if (!version || strcmp(version, ABI_VERSION_TEXT) != 0 || build != ABI_VERSION_BUILD) {
    fail("velmo_kiv_sdk.dll is not the MSVC-ABI stand-in: version %s, build %d",
         version ? version : "(null)", build);
    return 1;
  }
  if (strcmp(GetQuonKivErrorReason(3), ABI_ERROR_REASON) != 0)
    fail("GetQuonKivErrorReason gives %s", GetQuonKivErrorReason(3));

  sinkDll = LoadLibraryW(L"velmo_msvc_sink.dll");
  createForwardingSink =
      sinkDll ? (CreateForwardingSinkFn)(void*)GetProcAddress(sinkDll, "CreateForwardingSink")
              : NULL;
  if (!createForwardingSink) {
    fail("velmo_msvc_sink.dll or its CreateForwardingSink is missing (error %lu)", GetLastError());
    return 1;
  }

  engines[0] = CreateQuonKivEngineWithProcTable(NULL);
  engines[1] = CreateQuonKivEngineWithProcTable(NULL);
  handlers[0] = createForwardingSink(onMsvcSinkEvent, &msvcSinkDestroyed);
  handlers[1] = CreateQuonKivEventHandler(&cCallbacks);
  if (!engines[0] || !engines[1] || !handlers[0] || !handlers[1]) {
    fail("engines or sinks could not be created");
    return 1;
  }
  for (i = 0; i < 2; ++i) runOperations(sinks[i].label, engines[i], handlers[i]);
  for (i = 0; i < 2; ++i) compareSink(&sinks[i]);

  for (i = 0; i < 2; ++i) DestroyQuonKivEngine(engines[i]);
  if (msvcSinkDestroyed) fail("the MSVC sink was destroyed before DestroyQuonKivEventHandler");
  DestroyQuonKivEventHandler(handlers[0]);
  if (!msvcSinkDestroyed) fail("DestroyQuonKivEventHandler did not run the MSVC sink's destructor");
  DestroyQuonKivEventHandler(handlers[1]);
  FreeLibrary(sinkDll);

  printf("%s: 2 engines, %d operations each, %d events on each sink\n",
         failures ? "FAILED" : "passed", (int)(sizeof operations / sizeof operations[0]),
         EVENT_COUNT);
  return failures == 0 ? 0 : 1;
}
