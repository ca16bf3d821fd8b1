#include "library_loader.h"

namespace kivsh {

namespace {

#if defined(_WIN32)
const char kSeparator = '\\';
const char kSuffix[] = ".dll";
#else
const char kSeparator = '/';
const char kSuffix[] = ".so";
#endif
const char kLibraryBaseName[] = "VelmoKivWrapper";

std::string folderOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace

std::vector<std::string> LibraryLoader::candidates(const std::string& shellPath) {
  const std::vector<std::string> names{std::string("lib") + kLibraryBaseName + kSuffix,
                                       kLibraryBaseName + std::string(kSuffix)};
  std::vector<std::string> paths;
  const std::string here = folderOf(shellPath);
  if (!here.empty()) {
    for (const auto& name : names) paths.push_back(here + kSeparator + name);
    const std::string above = folderOf(here);
    for (const auto& name : names)
      paths.push_back((above.empty() ? ".." : above) + kSeparator + name);
  }
  for (const auto& name : names) paths.push_back(name);
  return paths;
}

bool LibraryLoader::load(const std::string& explicitPath, const std::string& shellPath) {
  host_kit_close(&library_);
  const std::vector<std::string> paths =
      explicitPath.empty() ? candidates(shellPath) : std::vector<std::string>{explicitPath};
  std::string tried;
  for (const std::string& path : paths) {
    if (host_kit_open(&library_, path.c_str())) {
      loadedFrom_ = path;
      return true;
    }
    tried += std::string("\n  ") + library_.error;
  }
  error_ = "cannot load the library; tried:" + tried;
  return false;
}

}  // namespace kivsh
