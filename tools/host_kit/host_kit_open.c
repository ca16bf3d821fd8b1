/* Opening the library at run time and resolving its exports by name. */
#include <stdio.h>
#include <string.h>

#include "host_kit.h"

#ifdef _WIN32
#include <windows.h>
static void* open_file(const char* path) { return (void*)LoadLibraryA(path); }
static void* symbol(void* handle, const char* name) {
  return (void*)GetProcAddress((HMODULE)handle, name);
}
static int close_file(void* handle) { return FreeLibrary((HMODULE)handle) != 0; }
/* "<path>: <the system's reason>" */
static void describe_failure(const char* path, char* text, size_t size) {
  const DWORD code = GetLastError();
  const int prefix = snprintf(text, size, "%s: ", path);
  if (prefix < 0 || (size_t)prefix >= size) return;
  char* reason = text + prefix;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                code, 0, reason, (DWORD)(size - (size_t)prefix), NULL);
  if (length == 0) snprintf(reason, size - (size_t)prefix, "error %lu", (unsigned long)code);
  while (length > 0 && (reason[length - 1] == '\n' || reason[length - 1] == '\r'))
    reason[--length] = 0;
}
#else
#include <dlfcn.h>
static void* open_file(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void* symbol(void* handle, const char* name) { return dlsym(handle, name); }
static int close_file(void* handle) { return dlclose(handle) == 0; }
/* The loader's reason, which names the file. */
static void describe_failure(const char* path, char* text, size_t size) {
  const char* why = dlerror();
  if (why)
    snprintf(text, size, "%s", why);
  else
    snprintf(text, size, "%s: cannot be loaded", path);
}
#endif

#define EXPORT(name) \
  { #name, offsetof(HostKitExports, name) }
static const struct {
  const char* name;
  size_t offset;
} kExports[] = {
    EXPORT(CreateQuonKivEngine),       EXPORT(CreateQuonKivEngineWithProcTable),
    EXPORT(createQuonKivClient),       EXPORT(DestroyQuonKivEngine),
    EXPORT(destroyQuonKivClient),      EXPORT(CallQuonKivApi),
    EXPORT(CreateQuonKivEventHandler), EXPORT(DestroyQuonKivEventHandler),
    EXPORT(GetQuonKivErrorReason),     EXPORT(getQuonKivErrorReason),
    EXPORT(GetQuonKivVersion),
};
#undef EXPORT

int host_kit_open(HostKitLibrary* library, const char* path) {
  memset(library, 0, sizeof *library);
  void* handle = path ? open_file(path) : NULL;
  if (!handle) {
    if (path)
      describe_failure(path, library->error, sizeof library->error);
    else
      snprintf(library->error, sizeof library->error, "no path to open");
    return 0;
  }
  for (size_t i = 0; i < sizeof kExports / sizeof kExports[0]; ++i) {
    void* address = symbol(handle, kExports[i].name);
    if (!address) {
      snprintf(library->error, sizeof library->error, "%s does not export %s", path,
               kExports[i].name);
      close_file(handle);
      memset(&library->exports, 0, sizeof library->exports);
      return 0;
    }
    /* A function pointer of the table, written from the address as it is. */
    memcpy((char*)&library->exports + kExports[i].offset, &address, sizeof address);
  }
  library->handle = handle;
  return 1;
}

int host_kit_close(HostKitLibrary* library) {
  const int closed = library->handle ? close_file(library->handle) : 0;
  memset(library, 0, sizeof *library);
  return closed;
}
