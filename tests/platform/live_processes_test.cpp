#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/capability.h>
#include <sys/resource.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "child_process.h"
#include "status_kilobytes.h"
#include "engine/process_list.h"
#include "platform/linux/system/linux_processes.h"
#include "platform/linux/system/linux_reclaimer.h"
#include "platform/linux/system/proc_file.h"
#include "platform/linux/system/proc_stat_parser.h"

namespace nv {
namespace {

using test::ChildProcess;

constexpr uint64_t kMappedBytes = uint64_t{256} << 20;
// Small mappings listed before the mapped file: its line lies far beyond the first page of maps.
constexpr int kMappingsBeforeTheFile = 10000;

bool MayTrimOthers() {
  cap_t caps = cap_get_proc();
  cap_flag_value_t value = CAP_CLEAR;
  const cap_value_t nice = CAP_SYS_NICE;
  cap_get_flag(caps, nice, CAP_EFFECTIVE, &value);
  cap_free(caps);
  return value == CAP_SET;
}

using test::StatusKilobytes;

size_t OpenDescriptors() {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                           std::filesystem::directory_iterator{}));
}

TEST(LiveProcesses, OpensItselfFullyAndDescribesItself) {
  LinuxProcesses processes;
  ProcessHandle self = processes.Open(static_cast<uint32_t>(::getpid()));
  ASSERT_EQ(self.access, ProcessAccess::Full);
  EXPECT_EQ(processes.ModulePath(self), std::filesystem::read_symlink("/proc/self/exe").string());
  const ProcessCounters counters = processes.Counters(self).value();
  EXPECT_GT(counters.WorkingSetSize, 0u);
  EXPECT_GE(counters.PeakWorkingSetSize, counters.WorkingSetSize);
  EXPECT_GT(counters.PageFaultCount, 0u);
  processes.Close(self);
  EXPECT_FALSE(self.valid());
  EXPECT_EQ(self.native, -1);
}

TEST(LiveProcesses, KernelThreadIsReadOnlyAndAGoneProcessCannotBeOpened) {
  LinuxProcesses processes;
  // kthreadd has no memory to trim and no executable, opened alone or after a walk.
  for (bool walkFirst : {false, true}) {
    if (walkFirst) {
      ASSERT_TRUE(processes.Walk());
    }
    ProcessHandle kernelThread = processes.Open(2);
    EXPECT_EQ(kernelThread.access, ProcessAccess::QueryOnly);
    EXPECT_EQ(processes.ModulePath(kernelThread), "");
    const auto counters = processes.Counters(kernelThread);
    ASSERT_TRUE(counters);
    EXPECT_EQ(counters->WorkingSetSize, 0u);
    EXPECT_EQ(counters->PeakWorkingSetSize, 0u);
    processes.Close(kernelThread);
  }

  pid_t gone;
  {
    ChildProcess child({"/bin/true"});
    gone = child.pid();
    child.Wait();
  }
  ProcessHandle handle = processes.Open(static_cast<uint32_t>(gone));
  EXPECT_FALSE(handle.valid());
  EXPECT_EQ(processes.ModulePath(handle), "");
  EXPECT_FALSE(processes.Counters(handle));
}

TEST(LiveProcesses, TrimSelfReturnsFreedHeapToTheSystem) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's allocator is not glibc malloc";
#endif
  // Small blocks come from the heap, not from mappings of their own; free all but the last so
  // that the top of the heap cannot shrink by itself.
  std::vector<char*> blocks;
  for (int i = 0; i < 200000; ++i) {
    blocks.push_back(static_cast<char*>(std::malloc(512)));
    blocks.back()[0] = 1;
    for (int offset = 0; offset < 512; offset += 64) blocks.back()[offset] = 1;
  }
  for (size_t i = 0; i + 1 < blocks.size(); ++i) std::free(blocks[i]);
  const uint64_t before = StatusKilobytes(::getpid(), "RssAnon");
  LinuxProcesses processes;
  processes.TrimSelf();
  const uint64_t after = StatusKilobytes(::getpid(), "RssAnon");
  std::free(blocks.back());
  EXPECT_LT(after + 50 * 1024, before) << "RssAnon " << before << " kB -> " << after << " kB";
}

TEST(LiveProcesses, ASnapshotOpensEveryProcessBeyondALowDescriptorLimit) {
  // A snapshot holds one pidfd per process at once, more than a low soft limit allows.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  if (saved.rlim_max < 4096) GTEST_SKIP() << "the hard descriptor limit is too low to show it";
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (int i = 0; i < 80; ++i) children.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/cat"}));
  LinuxProcesses processes;
  const auto openNow = static_cast<rlim_t>(OpenDescriptors());
  rlimit low = saved;
  low.rlim_cur = openNow + 16;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);

  TProcessList list;
  SnapshotProcesses(processes, list);
  size_t openedOrGone = 0;
  for (const auto& process : list) {
    // A process may end between the walk and its opening; that is not a missing handle.
    const bool gone = !std::filesystem::exists("/proc/" + std::to_string(process.ProcessID));
    openedOrGone += process.Handle.valid() || gone ? 1 : 0;
  }
  const size_t listed = list.size();
  CloseProcessHandles(list);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_GT(listed, 80u);
  EXPECT_EQ(openedOrGone, listed);
}

// The lines of /proc/PID/maps as the standard library reads them, to its end.
std::vector<std::string> MapsLines(pid_t pid) {
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  std::vector<std::string> lines;
  for (std::string line; std::getline(maps, line);) lines.push_back(line);
  return lines;
}

// A child that maps and touches 256 MiB of a file on a disk-backed file system, with thousands
// of small mappings listed before the file in its maps.
class LiveTrim : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // One file per test process: the suite also runs a second time, possibly alongside.
    path_ = std::string(NV_SCRATCH_DIR) + "/trim_target." + std::to_string(::getpid()) + ".bin";
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    std::vector<char> chunk(1 << 20);
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 31);
    for (uint64_t written = 0; written < kMappedBytes; written += chunk.size())
      ASSERT_EQ(::write(fd, chunk.data(), chunk.size()), static_cast<ssize_t>(chunk.size()));
    // Dirty page cache is not reclaimed by a page-out; the file must be on disk first.
    ASSERT_EQ(::fsync(fd), 0);
    ::close(fd);
  }
  static void TearDownTestSuite() { std::filesystem::remove(path_); }

  void SetUp() override {
    struct statfs fs{};
    ASSERT_EQ(::statfs(NV_SCRATCH_DIR, &fs), 0);
    if (fs.f_type == TMPFS_MAGIC) GTEST_SKIP() << "the file must live on a disk: tmpfs pages go to swap only";
    child_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{NV_HELPER, "map", path_, std::to_string(kMappedBytes),
                                 std::to_string(kMappingsBeforeTheFile)});
    ASSERT_EQ(child_->ReadLine(), "ready");
    ASSERT_GE(StatusKilobytes(child_->pid(), "RssFile"), kMappedBytes / 1024);
    const auto lines = MapsLines(child_->pid());
    const auto file = std::find_if(lines.begin(), lines.end(), [](const auto& l) { return l.ends_with(path_); });
    ASSERT_NE(file, lines.end());
    ASSERT_GT(file - lines.begin(), 2000) << "the mapped file must lie beyond the first pages of maps";
  }

  // The child's entry, checked for what the snapshot must say of it.
  const TProcess& ChildEntry(const TProcessList& list) {
    const TProcess* found = nullptr;
    for (const auto& process : list)
      if (process.ProcessID == static_cast<uint32_t>(child_->pid())) found = &process;
    EXPECT_NE(found, nullptr);
    if (found == nullptr) return list.front();
    const std::string helper = std::filesystem::canonical(NV_HELPER).string();
    EXPECT_EQ(found->ExeName, std::filesystem::path(helper).filename().string());
    EXPECT_EQ(found->ExePath, helper);
    EXPECT_EQ(found->ParentProcessID, static_cast<uint32_t>(::getpid()));
    EXPECT_GE(found->WorkingSetSize, kMappedBytes);
    EXPECT_GE(found->PeakWorkingSetSize, found->WorkingSetSize);
    EXPECT_GT(found->PageFaultCount, 0u);
    return *found;
  }

  static std::string path_;
  std::unique_ptr<ChildProcess> child_;
};

std::string LiveTrim::path_;

// Every pidfd a snapshot holds comes back when the list is left by an exception, so that letting
// go of what the walks keep closes every descriptor the snapshot opened.
TEST(LiveProcesses, AnExceptionBetweenSnapshotAndCloseLeaksNoDescriptor) {
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (int i = 0; i < 8; ++i) children.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/cat"}));
  LinuxProcesses processes;
  const size_t before = OpenDescriptors();
  size_t held = 0;
  try {
    TProcessList list;
    SnapshotProcesses(processes, list);
    held = OpenDescriptors();
    throw std::runtime_error("between the snapshot and its closing");
  } catch (const std::runtime_error&) {
  }
  processes.ReleaseKept();
  EXPECT_GT(held, before + children.size()) << "the snapshot was meant to hold a pidfd per child";
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(LiveTrim, WithCapSysNiceTheSnapshotOpensTheProcessFully) {
  if (!MayTrimOthers()) GTEST_SKIP() << "trimming another process needs CAP_SYS_NICE";
  LinuxProcesses processes;
  TProcessList list;
  SnapshotProcesses(processes, list);
  EXPECT_EQ(ChildEntry(list).Handle.access, ProcessAccess::Full);
}

TEST_F(LiveTrim, WithoutCapSysNiceTheProcessIsListedReadOnly) {
  if (MayTrimOthers()) GTEST_SKIP() << "runs under setpriv without CAP_SYS_NICE";
  LinuxProcesses processes;
  TProcessList list;
  SnapshotProcesses(processes, list);
  EXPECT_EQ(ChildEntry(list).Handle.access, ProcessAccess::QueryOnly);
}

TEST_F(LiveTrim, EveryLineOfALongMapsFileIsRead) {
  // maps comes about a page per read, however large the buffer.
  const std::string path = "/proc/" + std::to_string(child_->pid()) + "/maps";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  std::vector<std::string> lines;
  char buffer[8192];
  EXPECT_TRUE(ForEachLine(fd, buffer, sizeof buffer, [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  }));
  ::close(fd);
  EXPECT_EQ(lines, MapsLines(child_->pid()));
}

TEST_F(LiveTrim, PageOutAdviceReachesTheMappingBeyondThousandsOfOthers) {
  if (!MayTrimOthers()) GTEST_SKIP() << "advising another process needs CAP_SYS_NICE";
  LinuxReclaimer reclaimer;
  const uint64_t before = StatusKilobytes(child_->pid(), "RssFile");
  const ReclaimOutcome outcome = reclaimer.Advise({static_cast<uint32_t>(child_->pid())}, ReclaimAdvice::PageOut);
  const uint64_t after = StatusKilobytes(child_->pid(), "RssFile");
  EXPECT_LE(after * 10, before) << "RssFile " << before << " kB -> " << after << " kB";
  EXPECT_EQ(outcome.advised, 1u);
  EXPECT_EQ(outcome.skippedGone + outcome.skippedDenied + outcome.skippedOther, 0u);
  EXPECT_GE(outcome.bytesPagedOut, (before - after) * 1024 * 9 / 10);
  EXPECT_FALSE(outcome.privilegeMissing);
}

TEST_F(LiveTrim, ColdAdviceKeepsThePagesInMemory) {
  if (!MayTrimOthers()) GTEST_SKIP() << "advising another process needs CAP_SYS_NICE";
  LinuxReclaimer reclaimer;
  const uint64_t before = StatusKilobytes(child_->pid(), "RssFile");
  const ReclaimOutcome outcome = reclaimer.Advise({static_cast<uint32_t>(child_->pid())}, ReclaimAdvice::Cold);
  const uint64_t after = StatusKilobytes(child_->pid(), "RssFile");
  EXPECT_EQ(outcome.advised, 1u);
  EXPECT_GE(after * 100, before * 95) << "RssFile " << before << " kB -> " << after << " kB";
}

TEST_F(LiveTrim, WithoutCapSysNiceTheAdviceIsDeniedAndCounted) {
  if (MayTrimOthers()) GTEST_SKIP() << "runs under setpriv without CAP_SYS_NICE";
  LinuxReclaimer reclaimer;
  const uint64_t before = StatusKilobytes(child_->pid(), "RssFile");
  const ReclaimOutcome outcome = reclaimer.Advise({static_cast<uint32_t>(child_->pid())}, ReclaimAdvice::PageOut);
  const uint64_t after = StatusKilobytes(child_->pid(), "RssFile");
  EXPECT_EQ(outcome.advised, 0u);
  EXPECT_EQ(outcome.skippedDenied, 1u);
  EXPECT_TRUE(outcome.privilegeMissing);
  EXPECT_GE(after * 100, before * 99) << "RssFile " << before << " kB -> " << after << " kB";
}

TEST(LiveReclaimer, AMapsFileThatChangesWhileItIsReadIsAdvisedWithoutHarm) {
  if (!MayTrimOthers()) GTEST_SKIP() << "advising another process needs CAP_SYS_NICE";
  ChildProcess child({NV_HELPER, "churn"});
  ASSERT_EQ(child.ReadLine(), "ready");
  LinuxReclaimer reclaimer;
  for (int i = 0; i < 50; ++i) {
    const ReclaimOutcome outcome = reclaimer.Advise({static_cast<uint32_t>(child.pid())}, ReclaimAdvice::PageOut);
    EXPECT_EQ(outcome.advised, 1u) << i;
  }
  EXPECT_EQ(::kill(child.pid(), 0), 0) << "the child still runs";
}

TEST(LiveReclaimer, ProcessesThatCannotBeAdvisedAreSkippedAndCounted) {
  pid_t gone;
  {
    ChildProcess child({"/bin/true"});
    gone = child.pid();
    child.Wait();
  }
  struct Case {
    uint32_t pid;
    ReclaimAdvice advice;
    uint32_t ReclaimOutcome::*counted;
  };
  const Case cases[] = {
      {static_cast<uint32_t>(gone), ReclaimAdvice::PageOut, &ReclaimOutcome::skippedGone},
      {0, ReclaimAdvice::Cold, &ReclaimOutcome::skippedOther},
      {1, ReclaimAdvice::PageOut, &ReclaimOutcome::skippedOther},  // init is never paged out
      {2, ReclaimAdvice::PageOut, &ReclaimOutcome::skippedOther},  // kthreadd has no memory
  };
  LinuxReclaimer reclaimer;
  for (const Case& c : cases) {
    const ReclaimOutcome outcome = reclaimer.Advise({c.pid}, c.advice);
    EXPECT_EQ(outcome.*c.counted, 1u) << c.pid;
    EXPECT_EQ(outcome.advised + outcome.skippedGone + outcome.skippedDenied + outcome.skippedOther, 1u) << c.pid;
    EXPECT_EQ(outcome.bytesPagedOut, 0u) << c.pid;
  }
}

}  // namespace
}  // namespace nv
