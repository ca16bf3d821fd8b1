// A host that uses the shared spdlog itself and loads the library at run
// time: neither side sees the other's loggers, pattern or default logger.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "velmo_kiv_wrapper.h"

namespace {

// The leak checker's switches, present only in sanitized builds.
extern "C" {
__attribute__((weak)) void __lsan_disable();
__attribute__((weak)) void __lsan_enable();
}

// The library keeps its logger for the whole process on purpose (its unload
// hook may run after static destructors), so after this host's dlclose the
// leak checker would count the logger made while loading; it is told not to.
void* openLibrary() {
  if (__lsan_disable) __lsan_disable();
  void* handle = dlopen(VELMO_WRAPPER_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  if (__lsan_enable) __lsan_enable();
  return handle;
}

struct Library {
  void* handle = openLibrary();
  template <class Fn>
  Fn get(const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
  }
};

// The file's text once it holds `awaited`; the library flushes its file at
// unload and every 2 seconds.
std::string fileTextWith(const std::string& path, const std::string& awaited) {
  std::string text;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::ifstream in(path);
    std::stringstream read;
    read << in.rdbuf();
    text = read.str();
    if (text.find(awaited) != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return text;
}

TEST(HostWithOwnSpdlog, NeitherSideChangesTheOther) {
  std::ostringstream hostLines;
  auto hostLogger = std::make_shared<spdlog::logger>(
      "host", std::make_shared<spdlog::sinks::ostream_sink_mt>(hostLines));
  spdlog::register_logger(hostLogger);
  spdlog::set_default_logger(hostLogger);
  spdlog::set_pattern("HOST %v");

  char folderTemplate[] = "/tmp/velmo_host_spdlog_XXXXXX";
  const std::string folder = mkdtemp(folderTemplate);
  Library library;
  ASSERT_NE(library.handle, nullptr) << dlerror();
  auto create = library.get<QuonKivEngineHandle (*)(QuonKivClientPtr)>("CreateQuonKivEngine");
  auto call = library.get<int (*)(QuonKivEngineHandle, ApiParam*)>("CallQuonKivApi");
  auto destroy = library.get<void (*)(QuonKivEngineHandle)>("DestroyQuonKivEngine");

  // The library rebuilds its log here: a file in the folder, its own pattern.
  QuonKivEngineHandle engine = create(nullptr);
  const std::string config = R"({"config":{"appId":"isolation-app","userId":"u","logConfig":)"
                             R"({"filePath":")" +
                             folder + R"(","level":1}}})";
  static char result[QUON_KIV_RESULT_BUFFER_SIZE];
  ApiParam createCall = {
      "KivClient_create", config.c_str(), (unsigned)config.size(), result, nullptr, nullptr, 0};
  ASSERT_EQ(call(engine, &createCall), 0) << result;
  ApiParam logout = {"KivClient_logout_90386a9", "{}", 2, result, nullptr, nullptr, 0};
  call(engine, &logout);
  destroy(engine);
  EXPECT_EQ(dlclose(library.handle), 0);

  const std::string libraryLog =
      fileTextWith(folder + "/velmo-quon-kiv.log", "api name KivClient_logout_90386a9");
  EXPECT_NE(libraryLog.find("api name KivClient_logout_90386a9"), std::string::npos);
  EXPECT_NE(libraryLog.find("][I][quon_kiv_api_engine.cpp:"), std::string::npos)
      << "the library keeps its own pattern";
  EXPECT_EQ(libraryLog.find("HOST "), std::string::npos);

  // The host's registry, default logger and pattern are as it left them, and
  // stay usable after the library is unloaded.
  EXPECT_EQ(spdlog::get("host"), hostLogger);
  EXPECT_EQ(spdlog::default_logger(), hostLogger);
  spdlog::info("still here");
  hostLogger->flush();
  EXPECT_NE(hostLines.str().find("HOST still here"), std::string::npos) << hostLines.str();
  EXPECT_EQ(hostLines.str().find("api name"), std::string::npos)
      << "no library line reached the host";
  std::remove((folder + "/velmo-quon-kiv.log").c_str());
  rmdir(folder.c_str());
}

}  // namespace
