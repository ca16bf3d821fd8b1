// Loads VelmoKivWrapper at run time and resolves its eleven exports, the way
// a host written in another language binds to it (through the host kit).
#pragma once

#include <string>
#include <vector>

#include "host_kit.h"

namespace kivsh {

using KivExports = HostKitExports;

class LibraryLoader {
 public:
  LibraryLoader() = default;
  // The library stays loaded until the process ends, as it always has for the
  // shell: unloading it at exit would tear down what its threads may still use.
  ~LibraryLoader() = default;
  LibraryLoader(const LibraryLoader&) = delete;
  LibraryLoader& operator=(const LibraryLoader&) = delete;

  // Opens `explicitPath` when it is not empty; otherwise tries the library's
  // file names next to the shell, in the folder above it, then the system's
  // search path. All eleven exports must resolve.
  bool load(const std::string& explicitPath, const std::string& shellPath);

  const KivExports& exports() const { return library_.exports; }
  const std::string& loadedFrom() const { return loadedFrom_; }
  const std::string& error() const { return error_; }

  // Candidate paths in the order load() tries them (for messages and tests).
  static std::vector<std::string> candidates(const std::string& shellPath);

 private:
  HostKitLibrary library_{};
  std::string loadedFrom_;
  std::string error_;
};

}  // namespace kivsh
