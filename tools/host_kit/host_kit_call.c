/* One call from an API name and JSON text, and the monotonic clock. */
#include <string.h>

#include "host_kit.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

int host_kit_call(const HostKitExports* exports, QuonKivEngineHandle engine, const char* api,
                  const char* json, void* buffer, unsigned length, char* result) {
  char own[QUON_KIV_RESULT_BUFFER_SIZE];
  ApiParam param;
  memset(&param, 0, sizeof param);
  param.apiName = api;
  param.params = json;
  param.paramsLength = json ? (unsigned)strlen(json) : 0;
  param.resultBuffer = result ? result : own;
  param.buffers = buffer ? &buffer : NULL;
  param.bufferLengths = buffer && length ? &length : NULL;
  param.bufferCount = buffer ? 1 : 0;
  return exports->CallQuonKivApi(engine, &param);
}

double host_kit_now(void) {
#ifdef _WIN32
  LARGE_INTEGER ticks, frequency;
  QueryPerformanceCounter(&ticks);
  QueryPerformanceFrequency(&frequency);
  return (double)ticks.QuadPart / (double)frequency.QuadPart;
#else
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
#endif
}

void host_kit_pause(double seconds) {
#ifdef _WIN32
  Sleep((DWORD)(seconds * 1000));
#else
  struct timespec t;
  t.tv_sec = (time_t)seconds;
  t.tv_nsec = (long)((seconds - (double)t.tv_sec) * 1e9);
  nanosleep(&t, NULL);
#endif
}
