#include "output_streams.h"

#include <fcntl.h>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#define KIVSH_DUP _dup
#define KIVSH_DUP2 _dup2
#define KIVSH_FDOPEN _fdopen
#define KIVSH_OPEN _open
#define KIVSH_CLOSE _close
#define KIVSH_FILENO _fileno
#define KIVSH_NULL_DEVICE "NUL"
#define KIVSH_APPEND_FLAGS (_O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY)
#else
#include <unistd.h>
#define KIVSH_DUP dup
#define KIVSH_DUP2 dup2
#define KIVSH_FDOPEN fdopen
#define KIVSH_OPEN open
#define KIVSH_CLOSE close
#define KIVSH_FILENO fileno
#define KIVSH_NULL_DEVICE "/dev/null"
#define KIVSH_APPEND_FLAGS (O_WRONLY | O_CREAT | O_APPEND)
#endif

namespace kivsh {

std::FILE* separateLibraryOutput(const std::string& libraryOutput, std::string& error) {
  std::fflush(stdout);
  const int stdoutFd = KIVSH_FILENO(stdout);
  const int ownFd = KIVSH_DUP(stdoutFd);
  std::FILE* own = ownFd >= 0 ? KIVSH_FDOPEN(ownFd, "w") : nullptr;
  if (!own) {
    error = "cannot duplicate standard output";
    return nullptr;
  }
  int targetFd = -1;
  bool closeTarget = false;
  if (libraryOutput == "stderr") {
    targetFd = KIVSH_FILENO(stderr);
  } else {
    const std::string path = libraryOutput == "null" ? KIVSH_NULL_DEVICE : libraryOutput;
    targetFd = KIVSH_OPEN(path.c_str(), KIVSH_APPEND_FLAGS, 0644);
    closeTarget = true;
    if (targetFd < 0) {
      std::fclose(own);
      error = "cannot open " + path + " for the library's output";
      return nullptr;
    }
  }
  const bool moved = KIVSH_DUP2(targetFd, stdoutFd) >= 0;
  if (closeTarget) KIVSH_CLOSE(targetFd);
  if (!moved) {
    std::fclose(own);
    error = "cannot redirect standard output";
    return nullptr;
  }
#if defined(_WIN32)
  // Console writers look at the process's handle, not at descriptor 1.
  SetStdHandle(STD_OUTPUT_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(stdoutFd)));
#endif
  return own;
}

}  // namespace kivsh
