// The runtime pieces the compiler and the C++ language expect, for DLLs linked
// with no C runtime: the entry point, operator new and delete on the process
// heap (so a DLL frees with its own allocator what it allocated), the handler
// of a pure virtual call, and memset/memcpy, which the compiler may emit for
// record copies.
#include "no_crt_runtime.h"

extern "C" int __stdcall DllEntry(void*, unsigned long, void*) { return 1; }

// Without exceptions there is nothing to throw: a test process out of memory
// stops here rather than using a null object.
void* operator new(size_t bytes) {
  void* memory = HeapAlloc(GetProcessHeap(), 0, bytes ? bytes : 1);
  if (!memory) __builtin_trap();
  return memory;
}

void operator delete(void* memory) noexcept {
  if (memory) HeapFree(GetProcessHeap(), 0, memory);
}

void operator delete(void* memory, size_t) noexcept { operator delete(memory); }

extern "C" int __cdecl _purecall() { __builtin_trap(); }

extern "C" void* __cdecl memset(void* target, int value, size_t length) {
  unsigned char* bytes = static_cast<unsigned char*>(target);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>(value);
  return target;
}

extern "C" void* __cdecl memcpy(void* target, const void* source, size_t length) {
  unsigned char* to = static_cast<unsigned char*>(target);
  const unsigned char* from = static_cast<const unsigned char*>(source);
  for (size_t i = 0; i < length; ++i) to[i] = from[i];
  return target;
}
