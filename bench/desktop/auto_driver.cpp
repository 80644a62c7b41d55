// Auto-optimization as the window runs it, without the window: a tick every second
// (RunAutoOptimizationPass, as Timer_Auto does) and the count of what came back every second
// while a pass is watched (as the window's trim watch does), with the real services of this machine.
// The stop test is off: on the small machine of bench/desktop (a few GiB of 24 left) the
// available share stays far under the default threshold of 70 %, so it would never stop a
// pass either. Ends at SIGTERM or SIGINT and prints the CPU seconds it used, and of them those
// spent in the advice: the page-out itself, where the kernel compresses the pages into zram in
// the caller's time (work the kernel's own reclaim would have done later, in whichever process
// met the shortage), apart from the program's own bookkeeping (walks, figures, idle rule).
//   bench_desktop_auto [IDLE_AGE_SECONDS]
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "engine/auto_optimization.h"
#include "platform/linux/system/linux_memory.h"
#include "platform/linux/system/linux_processes.h"
#include "platform/linux/system/linux_reclaim_meter.h"
#include "platform/linux/reclaim/user_reclaimer.h"

namespace {

volatile sig_atomic_t stopWanted = 0;

void OnStop(int) { stopWanted = 1; }

class NoClipboard : public nv::Clipboard {
 public:
  nv::Result<void> Clean() override { return {}; }
};

class NoFocus : public nv::FocusedWindow {
 public:
  std::optional<uint32_t> FocusedProcess() override { return std::nullopt; }
};

double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The reclaimer of the program, with the CPU time its advice takes counted apart.
class TimedReclaimer : public nv::Reclaimer {
 public:
  explicit TimedReclaimer(nv::Reclaimer& inner) : inner_(inner) {}
  nv::ReclaimOutcome Advise(const std::vector<uint32_t>& pids, nv::ReclaimAdvice advice) override {
    const double start = CpuSeconds();
    nv::ReclaimOutcome outcome = inner_.Advise(pids, advice);
    seconds += CpuSeconds() - start;
    return outcome;
  }
  double seconds = 0;

 private:
  nv::Reclaimer& inner_;
};

}  // namespace

int main(int argc, char** argv) {
  struct sigaction action {};
  action.sa_handler = OnStop;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  nv::LinuxMemory memory;
  nv::LinuxProcesses processes;
  const auto userReclaimer = nv::MakeUserReclaimer();
  TimedReclaimer reclaimer(*userReclaimer);
  nv::LinuxReclaimMeter meter;
  NoFocus focus;
  NoClipboard clipboard;
  const auto idleAge = argc > 1 ? std::chrono::seconds(std::atoi(argv[1])) : nv::kDefaultIdleAge;
  nv::TrimPass pass(processes, reclaimer, meter, focus, idleAge);
  nv::TrimBackoff backoff;
  int passes = 0, advising = 0;
  uint64_t reported = 0;
  const auto start = std::chrono::steady_clock::now();
  auto tick = start;
  while (!stopWanted) {
    tick += std::chrono::seconds(1);
    std::this_thread::sleep_until(tick);
    if (pass.Watching()) pass.Watch(nv::TrimClock::now());
    const long at = long(std::chrono::duration_cast<std::chrono::seconds>(tick - start).count());
    // The line of a pass that advised, as it stands when its window closes.
    if (pass.Last() && pass.Passes() != reported && !pass.Watching() &&
        pass.Last()->pageOut.advised + pass.Last()->cold.advised > 0) {
      reported = pass.Passes();
      const nv::TrimPassFigures& f = *pass.Last();
      std::fprintf(stderr, "%4ld s: %u paged out, %u cold; %s (watched %lld s)\n", at, f.pageOut.advised,
                   f.cold.advised, nv::TrimResultLine(f).c_str(),
                   static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(f.watched).count()));
    }
    const auto before = pass.Passes();
    const nv::AutoPassResult result = nv::RunAutoOptimizationPass(memory, pass, backoff, clipboard, {std::nullopt, false});
    if (result.trimmed && pass.Passes() != before) {
      ++passes;
      if (pass.Last()->pageOut.advised + pass.Last()->cold.advised > 0) ++advising;
    }
  }
  std::printf("cpu_seconds=%.2f advice_seconds=%.2f passes=%d advising_passes=%d\n", CpuSeconds(), reclaimer.seconds,
              passes, advising);
  return 0;
}
