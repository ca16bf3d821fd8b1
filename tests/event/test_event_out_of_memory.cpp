// A history result whose buffer arrays cannot be allocated still goes out,
// with no buffers. The arrays are the bridge's only nothrow array allocation,
// made to fail here through a replaced allocation function.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "event_test_support.h"
#include "src/kiv/src/event/KivEventHandler.h"

namespace {
thread_local bool failNothrowArrays = false;
}  // namespace

// Every array form forwards to its single-object form, so that each block is
// released by the form that allocated it (AddressSanitizer checks the pairing).
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  if (failNothrowArrays) return nullptr;
  return ::operator new(size, tag);
}
void operator delete[](void* block) noexcept { ::operator delete(block); }
void operator delete[](void* block, std::size_t) noexcept { ::operator delete(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { ::operator delete(block); }

namespace velmo {
namespace quon {
namespace kiv {
namespace {

using testing_support::LogCapture;
using testing_support::RecordedEvent;
using testing_support::RecordingSink;

TEST(EventOutOfMemory, HistoryResultGoesOutWithoutBuffersWhenArraysCannotBeAllocated) {
  LogCapture log;
  KivEventHandler bridge;
  RecordingSink sink;
  bridge.addEventHandler(&sink);
  const char payload[] = "abc";
  sdk::HistoryMessage messages[2];
  messages[0].message = payload;
  messages[0].messageLength = 3;
  messages[1].message = payload;
  messages[1].messageLength = 1;

  failNothrowArrays = true;
  bridge.onGetHistoryMessagesResult(4, messages, 2, 0, 0);
  failNothrowArrays = false;

  const RecordedEvent event = sink.only();
  EXPECT_EQ(event.name, "KivEventHandler_onGetHistoryMessagesResult_c5dd08c");
  EXPECT_EQ(event.bufferCount, 0u);
  EXPECT_TRUE(event.buffersNull);
  EXPECT_TRUE(event.lengthsNull);
  const auto body = event.body();
  EXPECT_EQ(body["messageList"].size(), 2u);
  EXPECT_EQ(body["count"], 2u);
  EXPECT_EQ(log.at(spdlog::level::err).size(), 1u);

  // With memory available the same result carries its two buffers.
  bridge.onGetHistoryMessagesResult(5, messages, 2, 0, 0);
  ASSERT_EQ(sink.events().size(), 2u);
  EXPECT_EQ(sink.events()[1].bufferCount, 2u);
}

}  // namespace
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
