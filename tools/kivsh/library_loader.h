// Loads VelmoKivWrapper at run time and resolves its eleven exports, the way
// a host written in another language binds to it.
#pragma once

#include <string>
#include <vector>

#include "dynamic_library.h"
#include "velmo_kiv_wrapper.h"

namespace kivsh {

struct KivExports {
  QuonKivEngineHandle(QUON_CALL* CreateQuonKivEngine)(QuonKivClientPtr) = nullptr;
  QuonKivEngineHandle(QUON_CALL* CreateQuonKivEngineWithProcTable)(const KivProcTable*) = nullptr;
  QuonKivEngineHandle(QUON_CALL* createQuonKivClient)(QuonKivClientPtr) = nullptr;
  void(QUON_CALL* DestroyQuonKivEngine)(QuonKivEngineHandle) = nullptr;
  void(QUON_CALL* destroyQuonKivClient)(QuonKivEngineHandle) = nullptr;
  int(QUON_CALL* CallQuonKivApi)(QuonKivEngineHandle, ApiParam*) = nullptr;
  QuonEventHandlerHandle(QUON_CALL* CreateQuonKivEventHandler)(const HostEventCallbacks*) = nullptr;
  void(QUON_CALL* DestroyQuonKivEventHandler)(QuonEventHandlerHandle) = nullptr;
  const char*(QUON_CALL* GetQuonKivErrorReason)(int) = nullptr;
  const char*(QUON_CALL* getQuonKivErrorReason)(int) = nullptr;
  const char*(QUON_CALL* GetQuonKivVersion)(int*) = nullptr;
};

class LibraryLoader {
 public:
  // Opens `explicitPath` when it is not empty; otherwise tries the library's
  // file names next to the shell, in the folder above it, then the system's
  // search path. All eleven exports must resolve.
  bool load(const std::string& explicitPath, const std::string& shellPath);

  const KivExports& exports() const { return exports_; }
  const std::string& loadedFrom() const { return loadedFrom_; }
  const std::string& error() const { return error_; }

  // Candidate paths in the order load() tries them (for messages and tests).
  static std::vector<std::string> candidates(const std::string& shellPath);

 private:
  bool resolveAll();

  DynamicLibrary library_;
  KivExports exports_;
  std::string loadedFrom_;
  std::string error_;
};

}  // namespace kivsh
