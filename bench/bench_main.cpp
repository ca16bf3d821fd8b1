// Runs the benchmarks the way a host runs the library: the log set up as at
// library load, standard output sent to /dev/null (the log's console sink
// writes there), and the benchmark report on the standard output the program
// was started with.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <ext/stdio_filebuf.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <ostream>
#include <string>

#include "bench/bench_failures.h"
#include "bench/bench_world.h"
#include "bench/self_check.h"
#include "common/utils/quon_logger.h"

namespace {

using velmo::quon::kiv::QuonLogger;
namespace bench = velmo::quon::kiv::bench;

// Moves the process's standard output to /dev/null and keeps a stream on
// the original one for the report.
class ConsoleAside {
 public:
  ConsoleAside() {
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (saved < 0 || devNull < 0 || dup2(devNull, STDOUT_FILENO) < 0) {
      std::cerr << "cannot send standard output to /dev/null\n";
      std::exit(2);
    }
    close(devNull);
    buffer_ = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(saved, std::ios::out);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
  }
  std::ostream& stream() { return *stream_; }

 private:
  std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> buffer_;
  std::unique_ptr<std::ostream> stream_;
};

std::string workDirectoryFromEnvironment() {
  const char* given = std::getenv("VELMO_BENCH_DIR");
  std::filesystem::path dir = given && *given ? given : "velmo-bench-work";
  std::filesystem::create_directories(dir);
  return std::filesystem::absolute(dir).lexically_normal().string();
}

std::string firstLineOf(const char* file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

int runBenchmarks(std::ostream& console) {
  bench::BenchWorld::instance();
  const std::vector<std::string> differences = bench::checkFloorsMatchLibrary();
  for (const std::string& difference : differences)
    std::cerr << "floor does not match the library: " << difference << "\n";
  if (!differences.empty()) return 1;

  benchmark::AddCustomContext("velmo_build_type", VELMO_BENCH_BUILD_TYPE);
  benchmark::AddCustomContext("velmo_log_directory", bench::workDirectory());
  benchmark::AddCustomContext("load_average_at_start", firstLineOf("/proc/loadavg"));
  benchmark::ConsoleReporter reporter(benchmark::ConsoleReporter::OO_Tabular);
  reporter.SetOutputStream(&console);
  reporter.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  return bench::anyBenchmarkFailed() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  ConsoleAside console;

  const std::string workDir = workDirectoryFromEnvironment();
  bench::setWorkDirectory(workDir);
  // The load-time log folder, before the client moves it, stays in the work folder.
  setenv("XDG_STATE_HOME", workDir.c_str(), 1);
  QuonLogger::instance().startAtLoad();

  int rc = 0;
  try {
    rc = runBenchmarks(console.stream());
    bench::BenchWorld::instance().close();
  } catch (const std::exception& e) {
    std::cerr << "benchmark set-up failed: " << e.what() << "\n";
    rc = 1;
  }
  console.stream().flush();
  benchmark::Shutdown();
  QuonLogger::instance().shutdownAtUnload();
  return rc;
}
