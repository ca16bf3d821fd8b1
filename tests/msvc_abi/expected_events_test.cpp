// The bridge, driven through the 47 entries of the callback table, emits
// exactly the events of expected_events.txt: the file the MSVC-ABI Windows
// host compares what reached its sinks with is the library's own output.
// With VELMO_REFRESH_EXPECTED_EVENTS=1 in the environment the test writes the
// file instead (the build target refresh_msvc_abi_events does that).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "event/event_test_support.h"
#include "msvc_abi/callback_table.h"
#include "src/kiv/src/event/KivEventHandler.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace {

using testing_support::RecordedEvent;
using testing_support::RecordingSink;

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// One line of the file, tab separated: the event name; the body with each
// payload address written as @buffer<i>@, since addresses differ from run to
// run; then each payload's bytes in hexadecimal.
std::string fileLine(const RecordedEvent& event) {
  std::string body = event.data;
  for (size_t i = 0; i < event.buffers.size(); ++i)
    replaceAll(body, std::to_string(reinterpret_cast<uintptr_t>(event.buffers[i])),
               "@buffer" + std::to_string(i) + "@");
  std::string line = event.name + "\t" + body;
  static const char kHex[] = "0123456789abcdef";
  for (size_t i = 0; i < event.buffers.size(); ++i) {
    line += '\t';
    const auto* bytes = static_cast<const unsigned char*>(event.buffers[i]);
    for (unsigned int b = 0; bytes && b < event.lengths[i]; ++b) {
      line += kHex[bytes[b] >> 4];
      line += kHex[bytes[b] & 15];
    }
  }
  return line;
}

std::vector<std::string> bridgeLines() {
  KivEventHandler bridge;
  RecordingSink sink;
  bridge.addEventHandler(&sink);
  std::vector<std::string> lines;
  for (int slot = 1; slot <= velmo_msvc_abi::kCallbackCount; ++slot) {
    const size_t before = sink.events().size();
    velmo_msvc_abi::kCallbacks[slot - 1](bridge);
    const std::vector<RecordedEvent> events = sink.events();
    EXPECT_EQ(events.size(), before + 1) << "slot " << slot << " gives one event";
    if (events.size() == before + 1) lines.push_back(fileLine(events.back()));
  }
  return lines;
}

const char kHeader[] =
    "# The events of the 47 entries of tests/msvc_abi/callback_table.h, as the\n"
    "# library's bridge emits them: name, body, payload bytes in hexadecimal.\n"
    "# Written by expected_events_test.cpp; rewrite it with\n"
    "#   cmake --build build --target refresh_msvc_abi_events\n";

TEST(MsvcAbiExpectedEvents, BridgeOutputIsTheCheckedInFile) {
  const std::vector<std::string> lines = bridgeLines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(velmo_msvc_abi::kCallbackCount));

  if (const char* refresh = std::getenv("VELMO_REFRESH_EXPECTED_EVENTS"); refresh && *refresh) {
    std::ofstream out(VELMO_EXPECTED_EVENTS_FILE, std::ios::binary | std::ios::trunc);
    out << kHeader;
    for (const std::string& line : lines) out << line << '\n';
    ASSERT_TRUE(out.good()) << "could not write " << VELMO_EXPECTED_EVENTS_FILE;
    return;
  }

  std::ifstream in(VELMO_EXPECTED_EVENTS_FILE, std::ios::binary);
  ASSERT_TRUE(in.is_open()) << "cannot read " << VELMO_EXPECTED_EVENTS_FILE;
  std::vector<std::string> expected;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') expected.push_back(line);
  ASSERT_EQ(expected.size(), lines.size()) << VELMO_EXPECTED_EVENTS_FILE;
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i], expected[i]) << "slot " << i + 1 << " differs from the file; if the "
                                     << "change is meant, refresh it (refresh_msvc_abi_events)";
}

}  // namespace
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
