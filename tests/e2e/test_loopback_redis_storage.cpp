// Metadata and locks on the Redis backend: writers that race for the same
// revision or lock, each check-and-write being one atomic step of the service.
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "loopback_direct_fixture.h"

namespace loopback_test {
namespace {

using velmo::kiv::Metadata;
using velmo::kiv::MetadataItem;

enum : int { kLockExists = 18 };
constexpr int kRacers = 4;

// One request every racer makes at once; exactly one may win.
struct Race {
  const char* name;
  // Done once by the first racer before the race (e.g. creating the lock).
  std::function<void(TestUser&, const std::string& channel)> setup;
  // Racer i's request; returns the name of its result callback.
  std::function<std::string(TestUser&, int i, const std::string& channel, uint64_t& id)> request;
  int loserCode;
  // What the winner's request left behind, checked by the first racer.
  std::function<void(TestUser&, const std::string& channel, const std::string& winner)> check;
};

// Value "v<i>" for key "k" at the given revisions (negative: no check).
void writeK(TestUser& user, int i, int64_t major, int64_t itemRevision, bool toUser,
            const std::string& channel, uint64_t& id) {
  const std::string value = "v" + std::to_string(i);
  MetadataItem item;
  item.key = "k";
  item.value = value.c_str();
  item.revision = itemRevision;
  Metadata data;
  data.majorRevision = major;
  data.items = &item;
  data.itemCount = 1;
  if (toUser)
    user.client().getStorage()->setUserMetadata(channel.c_str(), data, {}, id);
  else
    user.client().getStorage()->setChannelMetadata(channel.c_str(), kMessageChannel, data, {}, "",
                                                   id);
}

void noSetup(TestUser&, const std::string&) {}

void expectValueOfWinner(const Call& metadata, const std::string& winner) {
  EXPECT_EQ(metadata.majorRevision, 1);
  ASSERT_EQ(metadata.items.count("k"), 1u);
  EXPECT_EQ(metadata.items.at("k"), "v" + winner.substr(winner.rfind('-') + 1));
}

const Race kRaces[] = {
    {"channel metadata at major revision 0", noSetup,
     [](TestUser& user, int i, const std::string& channel, uint64_t& id) {
       writeK(user, i, 0, -1, false, channel, id);
       return std::string("onSetChannelMetadataResult");
     },
     kRevisionMismatch,
     [](TestUser& user, const std::string& channel, const std::string& winner) {
       uint64_t id = 0;
       user.client().getStorage()->getChannelMetadata(channel.c_str(), kMessageChannel, id);
       expectValueOfWinner(user.expect("onGetChannelMetadataResult", id), winner);
     }},
    {"user metadata item at revision 0", noSetup,
     [](TestUser& user, int i, const std::string& channel, uint64_t& id) {
       writeK(user, i, -1, 0, true, channel, id);
       return std::string("onSetUserMetadataResult");
     },
     kRevisionMismatch,
     [](TestUser& user, const std::string& channel, const std::string& winner) {
       uint64_t id = 0;
       user.client().getStorage()->getUserMetadata(channel.c_str(), id);
       expectValueOfWinner(user.expect("onGetUserMetadataResult", id), winner);
     }},
    {"creating the same lock", noSetup,
     [](TestUser& user, int i, const std::string& channel, uint64_t& id) {
       user.client().getLock()->setLock(channel.c_str(), kMessageChannel, "gate", 10 + i, id);
       return std::string("onSetLockResult");
     },
     kLockExists,
     [](TestUser& user, const std::string& channel, const std::string&) {
       uint64_t id = 0;
       user.client().getLock()->getLocks(channel.c_str(), kMessageChannel, id);
       EXPECT_EQ(user.expect("onGetLocksResult", id).list, std::vector<std::string>{"gate="});
     }},
    {"acquiring a free lock without retry",
     [](TestUser& user, const std::string& channel) {
       uint64_t id = 0;
       user.client().getLock()->setLock(channel.c_str(), kMessageChannel, "gate", 30, id);
       user.expect("onSetLockResult", id);
     },
     [](TestUser& user, int, const std::string& channel, uint64_t& id) {
       user.client().getLock()->acquireLock(channel.c_str(), kMessageChannel, "gate", false, id);
       return std::string("onAcquireLockResult");
     },
     kLockHeldElsewhere,
     [](TestUser& user, const std::string& channel, const std::string& winner) {
       uint64_t id = 0;
       user.client().getLock()->getLocks(channel.c_str(), kMessageChannel, id);
       EXPECT_EQ(user.expect("onGetLocksResult", id).list,
                 std::vector<std::string>{"gate=" + winner});
     }},
};

TEST(RedisStorageRaces, ExactlyOneOfConcurrentConflictingWritesWins) {
  int round = 0;
  for (const Race& race : kRaces) {
    SCOPED_TRACE(race.name);
    const std::string channel = uniqueChannel("race");
    std::vector<std::unique_ptr<TestUser>> racers;
    for (int i = 0; i < kRacers; ++i) {
      racers.push_back(
          std::make_unique<TestUser>("race" + std::to_string(round) + "-" + std::to_string(i)));
      racers.back()->login();
    }
    ++round;
    race.setup(*racers[0], channel);

    // All threads wait for one start signal, so the requests overlap.
    std::mutex mutex;
    std::condition_variable started;
    bool go = false;
    std::vector<uint64_t> ids(kRacers);
    std::vector<std::string> results(kRacers);
    std::vector<std::thread> threads;
    for (int i = 0; i < kRacers; ++i) {
      threads.emplace_back([&, i] {
        {
          std::unique_lock<std::mutex> lock(mutex);
          started.wait(lock, [&] { return go; });
        }
        results[i] = race.request(*racers[i], i, channel, ids[i]);
      });
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      go = true;
    }
    started.notify_all();
    for (std::thread& thread : threads) thread.join();

    std::vector<std::string> winners;
    for (int i = 0; i < kRacers; ++i) {
      const auto call = racers[i]->recorder.waitResult(results[i], ids[i]);
      ASSERT_TRUE(call) << racers[i]->userId << " got no " << results[i];
      if (call->errorCode == kOk)
        winners.push_back(racers[i]->userId);
      else
        EXPECT_EQ(call->errorCode, race.loserCode) << racers[i]->userId;
    }
    ASSERT_EQ(winners.size(), 1u);
    race.check(*racers[0], channel, winners[0]);
  }
}

}  // namespace
}  // namespace loopback_test
