// Where the library's console log lines go. The library writes them through
// C's `stdout`, while Node writes its own standard output to descriptor 1
// directly; pointing C's `stdout` elsewhere moves the library's lines off the
// host's output without touching what the host prints.
#include "library_output.h"

#include <stdio.h>

#include <atomic>

namespace {
FILE* discarded() {
#if defined(_WIN32)
  static FILE* file = fopen("NUL", "w");
#else
  static FILE* file = fopen("/dev/null", "w");
#endif
  return file;
}
}  // namespace

extern "C" {

int32_t KIV_NODE_CALL kiv_node_library_output(int32_t where) {
#if defined(__GLIBC__)
  // Every JavaScript thread loads the binding: only the first applies the
  // default, so that a choice the host made is kept.
  static std::atomic<bool> chosen{false};
  if (where == KIV_NODE_OUTPUT_DEFAULT) {
    if (chosen.exchange(true)) return 1;
    where = KIV_NODE_OUTPUT_NONE;
  }
  chosen = true;
  // glibc's standard streams are plain variables that a program may set.
  static FILE* const original = stdout;
  FILE* target = where == KIV_NODE_OUTPUT_STDOUT   ? original
                 : where == KIV_NODE_OUTPUT_STDERR ? stderr
                                                   : discarded();
  if (!target) return 0;
  fflush(stdout);
  stdout = target;
  return 1;
#else
  (void)where;
  (void)discarded;
  return 0;
#endif
}

}  // extern "C"
