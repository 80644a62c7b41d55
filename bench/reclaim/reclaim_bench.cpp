// What one trim pass gains with real swap, and what it costs over many processes:
//  1. an idle process holding 512 MiB of written anonymous memory, paged out to a zram swap
//     device of the benchmark's own: MemAvailable gained per pass (target at least 400 MiB);
//  2. one pass over 1000 idle processes beside one process snapshot (target at most 1.5 x):
//     the first pass, which advises each of them, and the next, which finds them still out.
// Root only (the swap device); the passes reach only the benchmark's own children.
//
//   bench_reclaim
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/process_list.h"
#include "engine/trim_pass.h"
#include "platform/live_trim_pass.h"
#include "platform/zram_swap.h"

extern char** environ;

namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kHeldBytes = 512 * kMiB;
constexpr int kIdleProcesses = 1000;
constexpr int kRounds = 5;
// MemAvailable is the whole machine's and moves with everything else that runs: more rounds.
constexpr int kPageOutRounds = 15;

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A child that writes `kHeldBytes` of compressible anonymous memory (no page of one byte
// value, which zram would store as nothing) and then waits, idle.
pid_t StartHolder() {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    auto* memory = static_cast<unsigned char*>(
        ::mmap(nullptr, kHeldBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (memory == MAP_FAILED) std::_Exit(2);
    for (size_t offset = 0; offset < kHeldBytes; offset += 4096) {
      std::memset(memory + offset, static_cast<int>(offset / 4096 % 251), 4096);
      std::memcpy(memory + offset, &offset, sizeof offset);
    }
    if (::write(ready[1], "r", 1) != 1) std::_Exit(3);
    for (;;) ::pause();
  }
  char byte;
  const bool started = ::read(ready[0], &byte, 1) == 1;
  ::close(ready[0]);
  ::close(ready[1]);
  return started ? child : -1;
}

void End(pid_t pid) {
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

void PagingOutAnIdleProcess() {
  std::vector<double> gained, pagedOut;
  for (int round = 0; round < kPageOutRounds; ++round) {
    const pid_t holder = StartHolder();
    if (holder < 0) return;
    nv::test::LiveTrimPass live({static_cast<uint32_t>(holder)});
    nv::TrimPass& pass = live.pass;
    pass.Observe();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const nv::TrimPassFigures& figures = pass.Run(nv::TrimScope::Idle);
    std::this_thread::sleep_for(nv::kSettleTime);
    pass.Watch(nv::TrimClock::now());
    std::printf("  pass %d: %s\n", round + 1, nv::TrimResultLine(figures).c_str());
    gained.push_back(double(figures.availableChange) / double(kMiB));
    pagedOut.push_back(double(figures.PagedOut()) / double(kMiB));
    End(holder);
  }
  const double median = Median(gained);
  std::printf("idle 512 MiB process: median %.0f MiB paged out, median %.0f MiB more available per pass "
              "(target >= 400 MiB): %s\n",
              Median(pagedOut), median, median >= 400 ? "met" : "MISSED");
}

std::vector<pid_t> StartSleepers(int count) {
  std::vector<pid_t> pids;
  const char* argv[] = {"sleep", "3600", nullptr};
  for (int i = 0; i < count; ++i) {
    pid_t pid = -1;
    if (::posix_spawnp(&pid, "sleep", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) break;
    pids.push_back(pid);
  }
  return pids;
}

template <typename Work>
double Milliseconds(Work&& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void PassOverManyIdleProcesses() {
  const std::vector<pid_t> sleepers = StartSleepers(kIdleProcesses);
  std::this_thread::sleep_for(std::chrono::seconds(1));  // every one of them started and idle
  std::vector<double> firstTimes, nextTimes, snapshotTimes;
  uint32_t advised = 0, stillOut = 0;
  for (int round = 0; round < kRounds; ++round) {
    nv::test::LiveTrimPass live(std::set<uint32_t>(sleepers.begin(), sleepers.end()));
    nv::TrimPass& pass = live.pass;
    nv::LinuxProcesses& all = live.all;
    pass.Observe();
    firstTimes.push_back(Milliseconds([&] { advised = pass.Run(nv::TrimScope::Idle).pageOut.advised; }));
    nextTimes.push_back(Milliseconds([&] { stillOut = pass.Run(nv::TrimScope::Idle).stillOut; }));
    snapshotTimes.push_back(Milliseconds([&] {
      nv::TProcessList list;
      nv::SnapshotProcesses(all, list);
      nv::CloseProcessHandles(list);
    }));
  }
  for (const pid_t pid : sleepers) ::kill(pid, SIGKILL);
  for (const pid_t pid : sleepers) ::waitpid(pid, nullptr, 0);
  const double snapshot = Median(snapshotTimes);
  std::printf("one process snapshot: median %.1f ms\n", snapshot);
  const auto report = [snapshot](const char* what, double pass) {
    std::printf("%s: median %.1f ms, %.2f x the snapshot (target <= 1.5): %s\n", what, pass, pass / snapshot,
                pass <= 1.5 * snapshot ? "met" : "MISSED");
  };
  std::printf("%zu idle processes: %u paged out by the first pass, %u found still out by the next\n", sleepers.size(),
              advised, stillOut);
  report("first pass (advises every one)", Median(firstTimes));
  report("next pass (finds them still out)", Median(nextTimes));
}

}  // namespace

int main() {
  nv::test::ZramSwap swap(2048 * kMiB);
  if (!swap.on()) {
    std::fprintf(stderr, "skipped: %s\n", swap.whyNot().c_str());
    return 77;
  }
  PagingOutAnIdleProcess();
  PassOverManyIdleProcesses();
  return 0;
}
