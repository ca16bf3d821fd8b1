#include "library_loader.h"

namespace kivsh {

namespace {

const char kLibraryBaseName[] = "VelmoKivWrapper";

std::string folderOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

template <class Fn>
bool resolve(DynamicLibrary& library, const char* name, Fn& slot) {
  void* address = library.symbol(name);
  // Function and object pointers share a representation on every target the
  // library ships for; the copy goes through the pointer's bytes.
  slot = reinterpret_cast<Fn>(address);
  return address != nullptr;
}

}  // namespace

std::vector<std::string> LibraryLoader::candidates(const std::string& shellPath) {
  std::vector<std::string> names;
  for (bool prefix : {true, false}) {
    names.push_back(DynamicLibrary::platformFileName(kLibraryBaseName, prefix));
  }
  std::vector<std::string> paths;
  const std::string here = folderOf(shellPath);
  const char sep = DynamicLibrary::pathSeparator();
  if (!here.empty()) {
    for (const auto& name : names) paths.push_back(here + sep + name);
    const std::string above = folderOf(here);
    for (const auto& name : names) paths.push_back((above.empty() ? ".." : above) + sep + name);
  }
  for (const auto& name : names) paths.push_back(name);
  return paths;
}

bool LibraryLoader::load(const std::string& explicitPath, const std::string& shellPath) {
  std::vector<std::string> paths =
      explicitPath.empty() ? candidates(shellPath) : std::vector<std::string>{explicitPath};
  std::string tried;
  for (const std::string& path : paths) {
    if (library_.open(path)) {
      loadedFrom_ = path;
      return resolveAll();
    }
    tried += "\n  " + library_.error();
  }
  error_ = "cannot load the library; tried:" + tried;
  return false;
}

bool LibraryLoader::resolveAll() {
  KivExports& e = exports_;
  const bool ok =
      resolve(library_, "CreateQuonKivEngine", e.CreateQuonKivEngine) &&
      resolve(library_, "CreateQuonKivEngineWithProcTable", e.CreateQuonKivEngineWithProcTable) &&
      resolve(library_, "createQuonKivClient", e.createQuonKivClient) &&
      resolve(library_, "DestroyQuonKivEngine", e.DestroyQuonKivEngine) &&
      resolve(library_, "destroyQuonKivClient", e.destroyQuonKivClient) &&
      resolve(library_, "CallQuonKivApi", e.CallQuonKivApi) &&
      resolve(library_, "CreateQuonKivEventHandler", e.CreateQuonKivEventHandler) &&
      resolve(library_, "DestroyQuonKivEventHandler", e.DestroyQuonKivEventHandler) &&
      resolve(library_, "GetQuonKivErrorReason", e.GetQuonKivErrorReason) &&
      resolve(library_, "getQuonKivErrorReason", e.getQuonKivErrorReason) &&
      resolve(library_, "GetQuonKivVersion", e.GetQuonKivVersion);
  if (!ok) {
    error_ = loadedFrom_ + ": " + library_.error();
    exports_ = KivExports{};
    library_.close();
  }
  return ok;
}

}  // namespace kivsh
