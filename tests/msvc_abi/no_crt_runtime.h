// What the MSVC-ABI test DLLs need in place of a C runtime: the few kernel32
// functions they call (no Windows headers exist for this target here; the
// import library is made from kernel32.def) and a small text comparison.
#pragma once

#include <stddef.h>

extern "C" {
__declspec(dllimport) void* __stdcall GetProcessHeap(void);
__declspec(dllimport) void* __stdcall HeapAlloc(void* heap, unsigned long flags, size_t bytes);
__declspec(dllimport) int __stdcall HeapFree(void* heap, unsigned long flags, void* memory);
__declspec(dllimport) void* __stdcall CreateThread(void* security, size_t stackSize,
                                                   unsigned long(__stdcall* start)(void*),
                                                   void* argument, unsigned long flags,
                                                   unsigned long* threadId);
__declspec(dllimport) unsigned long __stdcall WaitForSingleObject(void* handle,
                                                                  unsigned long milliseconds);
__declspec(dllimport) int __stdcall CloseHandle(void* handle);
}

constexpr unsigned long kInfinite = 0xFFFFFFFFul;

// True when the length bytes at a and b are equal; a null pointer equals nothing.
inline bool sameBytes(const void* a, const void* b, size_t length) {
  if (!a || !b) return false;
  const unsigned char* x = static_cast<const unsigned char*>(a);
  const unsigned char* y = static_cast<const unsigned char*>(b);
  for (size_t i = 0; i < length; ++i)
    if (x[i] != y[i]) return false;
  return true;
}

// True when both are NUL-terminated texts with the same characters.
inline bool sameText(const char* a, const char* b) {
  if (!a || !b) return false;
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}
