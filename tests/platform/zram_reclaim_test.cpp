#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

#include "child_process.h"
#include "engine/trim_pass.h"
#include "live_trim_pass.h"
#include "platform/linux/system/linux_processes.h"
#include "status_kilobytes.h"
#include "zram_swap.h"

namespace nv {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;

constexpr uint64_t kHeldBytes = 512 * kMiB;

// An idle child holding 512 MiB of written anonymous memory, with a zram swap device of this
// test's own to take it.
class ZramReclaim : public ::testing::Test {
 protected:
  void SetUp() override {
    swap_ = std::make_unique<test::ZramSwap>(1024 * kMiB);
    if (!swap_->on()) GTEST_SKIP() << swap_->whyNot();
    child_ = std::make_unique<test::ChildProcess>(std::vector<std::string>{NV_HELPER, "anon", std::to_string(kHeldBytes)});
    ASSERT_EQ(child_->ReadLine(), "ready");
  }
  // The child goes first, so that its pages need not come back from swap before swapoff.
  void TearDown() override {
    child_.reset();
    swap_.reset();
  }

  std::unique_ptr<test::ZramSwap> swap_;
  std::unique_ptr<test::ChildProcess> child_;
};

TEST_F(ZramReclaim, APassPagesAnIdleProcessOutToSwapAndTheMemoryBecomesAvailable) {
  test::LiveTrimPass live({static_cast<uint32_t>(child_->pid())});
  TrimPass& pass = live.pass;
  pass.Observe();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  const TrimPassFigures& figures = pass.Run(TrimScope::Idle);

  EXPECT_EQ(figures.pageOut.advised, 1u) << "the child has used no CPU time since it said ready";
  EXPECT_GE(figures.PagedOut(), 400 * kMiB);
  EXPECT_GE(test::StatusKilobytes(child_->pid(), "VmSwap") * 1024, 400 * kMiB) << "the pages went to the swap device";
  ASSERT_TRUE(figures.measured);
  // MemAvailable is the whole machine's, moved by whatever else runs meanwhile, so its change
  // is not checked here (bench/reclaim measures it); the swap cache is.
  EXPECT_LT(figures.StillCached(), 64 * kMiB) << "zram keeps no second copy: " << TrimResultLine(figures);
}

// The program trims itself every second. With swap on, writing its own memory to swap would
// have the next refresh read it back; it stays resident, only marked cold.
TEST(ZramSelfTrim, TheProgramsOwnMemoryStaysResidentWhileSwapCouldTakeIt) {
  test::ZramSwap swap(256 * kMiB);
  if (!swap.on()) GTEST_SKIP() << swap.whyNot();
  const std::vector<char> used(64 * kMiB, 1);
  const uint64_t swappedBefore = test::StatusKilobytes(::getpid(), "VmSwap");
  LinuxProcesses processes;
  processes.TrimSelf();
  processes.TrimSelf();
  EXPECT_LT(test::StatusKilobytes(::getpid(), "VmSwap"), swappedBefore + 4 * 1024);
  EXPECT_GE(test::StatusKilobytes(::getpid(), "RssAnon") * 1024, used.size());
}

// A swap down to its reserve (a tenth, at least 256 MiB: all of this 256 MiB device) takes no
// anonymous memory, and the pass says why.
TEST(ZramReserve, ASwapDownToItsReserveTakesNoAnonymousMemoryAndThePassSaysWhy) {
  test::ZramSwap swap(256 * kMiB);
  if (!swap.on()) GTEST_SKIP() << swap.whyNot();
  LinuxReclaimMeter meter;
  const auto counters = meter.Read();
  ASSERT_TRUE(counters.has_value());
  if (counters->swapTotalBytes > 256 * kMiB)
    GTEST_SKIP() << "other swap is on (" << counters->swapTotalBytes / kMiB << " MiB in all): the reserve is not this device's";
  test::ChildProcess child({NV_HELPER, "anon", std::to_string(128 * kMiB)});
  ASSERT_EQ(child.ReadLine(), "ready");
  test::LiveTrimPass pass({static_cast<uint32_t>(child.pid())});
  pass.pass.Observe();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  const TrimPassFigures& figures = pass.pass.Run(TrimScope::Idle);

  EXPECT_EQ(figures.pageOut.advised, 1u);
  EXPECT_TRUE(figures.swapReserveReached);
  EXPECT_NE(TrimResultLine(figures).find("; swap nearly full ("), std::string::npos) << TrimResultLine(figures);
  EXPECT_LT(test::StatusKilobytes(child.pid(), "VmSwap") * 1024, 4 * kMiB) << "nothing went to swap";
  EXPECT_GE(test::StatusKilobytes(child.pid(), "RssAnon") * 1024, 120 * kMiB);
}

// A process whose anonymous memory does not fit above the reserve keeps all of it in.
TEST_F(ZramReclaim, AProcessLargerThanTheRoomLeftAboveTheReserveKeepsItsAnonymousMemory) {
  swap_.reset();
  test::ZramSwap small(640 * kMiB);  // 384 MiB above the reserve: less than the child's 512
  if (!small.on()) GTEST_SKIP() << small.whyNot();
  test::LiveTrimPass live({static_cast<uint32_t>(child_->pid())});
  const auto counters = live.meter.Read();
  ASSERT_TRUE(counters.has_value());
  if (counters->swapTotalBytes > 640 * kMiB) GTEST_SKIP() << "other swap is on: the room is not this device's";
  live.pass.Observe();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  const TrimPassFigures& figures = live.pass.Run(TrimScope::Idle);

  EXPECT_EQ(figures.pageOut.advised, 1u);
  EXPECT_FALSE(figures.swapReserveReached);
  EXPECT_LT(test::StatusKilobytes(child_->pid(), "VmSwap") * 1024, 4 * kMiB);
}

}  // namespace
}  // namespace nv
