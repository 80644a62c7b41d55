#include "engine/memory_tweak.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fakes/fake_gauge.h"
#include "fakes/fake_memory.h"

namespace nv {
namespace {

constexpr uint64_t MiB = 1048576;
constexpr uint64_t GiB = 1024 * MiB;

// Checks, as each block goes back, what the pass wrote into it.
class InspectingMemory : public test::FakeMemory {
 public:
  std::vector<std::string> faults;
  void Release(void* block, uint64_t bytes) override {
    const auto* p = static_cast<const unsigned char*>(block);
    if (bytes == MemoryTweak::kBlockBytes) {
      if (!Filled(p, bytes, 0)) faults.push_back("block not zero");
    } else {
      const uint64_t whole = bytes / pageSize * pageSize;
      if (!Filled(p, whole, 0xFF)) faults.push_back("page not 255");
      if (!Filled(p + whole, bytes - whole, 0)) faults.push_back("tail written");
    }
    FakeMemory::Release(block, bytes);
  }

 private:
  // Compared a chunk at a time with memcmp: these blocks run to gigabytes.
  static bool Filled(const unsigned char* p, uint64_t bytes, unsigned char value) {
    static std::vector<unsigned char> chunk;
    chunk.assign(MiB, value);
    for (uint64_t at = 0; at < bytes; at += MiB)
      if (std::memcmp(p + at, chunk.data(), std::min<uint64_t>(MiB, bytes - at)) != 0) return false;
    return true;
  }
};

class MemoryTweakTest : public ::testing::Test {
 protected:
  InspectingMemory memory;
  test::FakeGauge gauge;
  std::vector<std::string> messages;
  MemoryTweak tweak{memory, [this](const std::string& m) { messages.push_back(m); }};

  void SetTotalPhys(uint64_t bytes) { memory.status.ullTotalPhys = bytes; }
  void ExpectEverythingReleased() {
    EXPECT_EQ(memory.LiveBlocks(), 0u);
    EXPECT_EQ(memory.badReleases, 0);
    EXPECT_TRUE(memory.faults.empty()) << memory.faults.front();
    EXPECT_FALSE(gauge.visible);
    EXPECT_FALSE(tweak.TweakBusy());
  }
};

TEST_F(MemoryTweakTest, LevelOneCommitsAMegabyteBlockPerMegabytePlusOneUpTo1024) {
  struct Case {
    uint64_t totalPhys;
    uint64_t blocks;
  };
  const Case cases[] = {
      {512 * MiB, 513}, {512 * MiB - MiB / 2, 512}, {1023 * MiB, 1024}, {4 * GiB, 1024}, {MiB / 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.totalPhys);
    memory.commitRequests.clear();
    gauge = {};
    SetTotalPhys(c.totalPhys);

    tweak.RunMemoryTweak(1, gauge);

    EXPECT_EQ(memory.commitRequests, std::vector<uint64_t>(c.blocks, MiB));
    // The gauge runs from 0 to n while committing and again while releasing.
    EXPECT_EQ(gauge.maxima, std::vector<uint64_t>{c.blocks});
    EXPECT_EQ(gauge.runs, (std::vector<uint64_t>{c.blocks, c.blocks}));
    EXPECT_TRUE(messages.empty());
    ExpectEverythingReleased();
  }
}

TEST_F(MemoryTweakTest, WholeMemoryPassesWriteEveryWholePageTwiceOncePerLevel) {
  SetTotalPhys(64 * MiB + 100);  // a tail shorter than a page is not a page
  const uint64_t pages = 64 * MiB / 4096;

  tweak.RunMemoryTweak(3, gauge);

  EXPECT_EQ(memory.commitRequests, std::vector<uint64_t>(3, 64 * MiB + 100));
  EXPECT_EQ(memory.releases.size(), 3u);
  EXPECT_EQ(gauge.maxima, std::vector<uint64_t>(3, pages));
  // Each pass: its Start (no progress while zeroing), then a run over the pages.
  EXPECT_EQ(gauge.runs, (std::vector<uint64_t>{0, pages, 0, pages, 0, pages}));
  EXPECT_EQ(gauge.hides, 3);
  EXPECT_TRUE(messages.empty());
  ExpectEverythingReleased();
}

TEST_F(MemoryTweakTest, WholeMemoryGaugeMaximumIsThePageCount) {
  memory.refuseCommits = true;  // only the set-up is of interest here
  struct Case {
    uint64_t totalPhys, pageSize, pages;
  };
  const Case cases[] = {{512 * MiB, 4096, 131072}, {2 * GiB, 4096, 524288}, {24 * GiB, 4096, 6291456},
                        {24 * GiB, 65536, 393216}};
  for (const auto& c : cases) {
    gauge = {};
    SetTotalPhys(c.totalPhys);
    memory.pageSize = c.pageSize;
    tweak.RunMemoryTweak(2, gauge);
    EXPECT_EQ(gauge.maxima, std::vector<uint64_t>(2, c.pages)) << c.totalPhys << " / " << c.pageSize;
  }
}

TEST_F(MemoryTweakTest, RefusedWholeMemoryBlockShowsTheMessageOncePerPass) {
  // A 24 GiB machine sizes its block at all 24 GiB, more than this system will commit.
  SetTotalPhys(24 * GiB);
  memory.commitLimit = 23 * GiB;

  tweak.RunMemoryTweak(4, gauge);

  EXPECT_EQ(memory.commitRequests, std::vector<uint64_t>(4, 24 * GiB));
  EXPECT_EQ(messages, std::vector<std::string>(4, MemoryTweak::kOutOfMemoryMessage));
  EXPECT_EQ(messages.front(), "Unable to tweak RAM, please increase system virtual memory.");
  EXPECT_EQ(gauge.hides, 4);
  ExpectEverythingReleased();
}

TEST_F(MemoryTweakTest, BlockPassRefusedPartWayReleasesWhatItCommittedBeforeTheMessage) {
  SetTotalPhys(512 * MiB);
  memory.refuseFromCall = 10;
  bool busyDuringMessage = false;
  size_t liveDuringMessage = 99;
  bool gaugeShownDuringMessage = true;
  MemoryTweak failing{memory, [&](const std::string& m) {
                        messages.push_back(m);
                        busyDuringMessage = failing.TweakBusy();
                        liveDuringMessage = memory.LiveBlocks();
                        gaugeShownDuringMessage = gauge.visible;
                      }};

  failing.RunMemoryTweak(1, gauge);

  EXPECT_EQ(memory.commits.size(), 10u);
  EXPECT_EQ(memory.releases.size(), 10u);
  EXPECT_EQ(messages, std::vector<std::string>{MemoryTweak::kOutOfMemoryMessage});
  EXPECT_EQ(gauge.maxima, std::vector<uint64_t>{513});
  EXPECT_EQ(gauge.runs, (std::vector<uint64_t>{10, 10}));
  EXPECT_TRUE(busyDuringMessage);
  EXPECT_EQ(liveDuringMessage, 0u);
  EXPECT_FALSE(gaugeShownDuringMessage);
  EXPECT_FALSE(failing.TweakBusy());
  EXPECT_EQ(memory.LiveBlocks(), 0u);
}

TEST_F(MemoryTweakTest, BlockPassStartedWhileAnotherWaitsIsTurnedAway) {
  SetTotalPhys(8 * MiB);
  memory.refuseFromCall = 2;
  size_t requestsBeforeNested = 0;
  MemoryTweak busy{memory, [&](const std::string&) {
                     requestsBeforeNested = memory.commitRequests.size();
                     busy.RunMemoryTweak(1, gauge);  // a hot key pressed while the box is open
                   }};

  busy.RunMemoryTweak(1, gauge);

  EXPECT_EQ(memory.commitRequests.size(), requestsBeforeNested);
  EXPECT_FALSE(busy.TweakBusy());
}

TEST_F(MemoryTweakTest, ThrowingMessageStillReleasesAndClearsTheFlag) {
  SetTotalPhys(8 * MiB);
  memory.refuseFromCall = 3;
  MemoryTweak throwing{memory, [](const std::string&) { throw std::runtime_error("box failed"); }};

  EXPECT_THROW(throwing.RunMemoryTweak(1, gauge), std::runtime_error);

  EXPECT_EQ(memory.LiveBlocks(), 0u);
  EXPECT_FALSE(throwing.TweakBusy());
}

TEST_F(MemoryTweakTest, LevelBelowOneDoesNothing) {
  SetTotalPhys(512 * MiB);
  for (int level : {0, -1}) tweak.RunMemoryTweak(level, gauge);
  EXPECT_TRUE(memory.commitRequests.empty());
  EXPECT_TRUE(gauge.maxima.empty());
}

}  // namespace
}  // namespace nv
