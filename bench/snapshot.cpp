// One full process snapshot (walk, open, path, counters, close) against `ps` reading the same
// fields, with 1000 and then 5000 extra idle processes on the system. Prints the ratio ours/ps
// for the snapshot as the running program takes it (the walker keeps the files of known
// processes open from one snapshot to the next) and for a first snapshot (a new walker).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "engine/process_list.h"
#include "platform/linux/system/linux_processes.h"

extern char** environ;

namespace {

pid_t Spawn(std::vector<const char*> argv, bool quiet) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv.data()), environ) != 0)
    pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// ps reading the fields of a snapshot, its output thrown away.
pid_t SpawnPs() { return Spawn({"ps", "-e", "-o", "pid=,ppid=,pri=,ni=,rss=,min_flt=,maj_flt=,comm="}, true); }

// Idle processes that live for the whole run and are reaped at its end.
class IdleProcesses {
 public:
  explicit IdleProcesses(int count) {
    for (int i = 0; i < count; ++i) {
      const pid_t pid = Spawn({"sleep", "infinity"}, false);
      if (pid > 0) pids_.push_back(pid);
    }
  }
  ~IdleProcesses() {
    for (pid_t pid : pids_) ::kill(pid, SIGKILL);
    for (pid_t pid : pids_) ::waitpid(pid, nullptr, 0);
  }
  size_t size() const { return pids_.size(); }

 private:
  std::vector<pid_t> pids_;
};

// CPU time is the fairer figure on a busy machine, where the real time mostly measures waiting.
double Seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; }

void BM_SnapshotProcesses(benchmark::State& state) {
  nv::LinuxProcesses processes;
  nv::TProcessList list;
  size_t count = 0;
  rusage before{}, after{};
  ::getrusage(RUSAGE_SELF, &before);
  for (auto _ : state) {
    nv::SnapshotProcesses(processes, list);
    count = list.size();
    nv::CloseProcessHandles(list);
  }
  ::getrusage(RUSAGE_SELF, &after);
  const double cpu = Seconds(after.ru_utime) + Seconds(after.ru_stime) - Seconds(before.ru_utime) - Seconds(before.ru_stime);
  state.counters["processes"] = static_cast<double>(count);
  state.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SnapshotProcesses)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Ps(benchmark::State& state) {
  double cpu = 0;
  for (auto _ : state) {
    const pid_t pid = SpawnPs();
    rusage usage{};
    ::wait4(pid, nullptr, 0, &usage);
    cpu += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  }
  state.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Ps)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

struct Cost {
  double realMs = 0;
  double cpuMs = 0;
};

double NowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double OwnCpuMs() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return (Seconds(usage.ru_utime) + Seconds(usage.ru_stime)) * 1e3;
}

Cost SnapshotOnce(nv::LinuxProcesses& processes) {
  nv::TProcessList list;
  const double real = NowMs(), cpu = OwnCpuMs();
  nv::SnapshotProcesses(processes, list);
  nv::CloseProcessHandles(list);
  return {NowMs() - real, OwnCpuMs() - cpu};
}

Cost PsOnce() {
  const double real = NowMs();
  const pid_t pid = SpawnPs();
  rusage usage{};
  ::wait4(pid, nullptr, 0, &usage);
  return {NowMs() - real, (Seconds(usage.ru_utime) + Seconds(usage.ru_stime)) * 1e3};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Samples {
  std::vector<double> real, cpu;
  void Add(const Cost& cost) {
    real.push_back(cost.realMs);
    cpu.push_back(cost.cpuMs);
  }
};

void PrintRatio(const char* label, const Samples& ours, const Samples& ps) {
  std::printf("%s: medians %.2f ms real %.2f ms CPU, ps %.2f ms real %.2f ms CPU; ratio real %.2f, CPU %.2f\n", label,
              Median(ours.real), Median(ours.cpu), Median(ps.real), Median(ps.cpu), Median(ours.real) / Median(ps.real),
              Median(ours.cpu) / Median(ps.cpu));
}

// On a shared machine the load changes from second to second, so each ratio comes from rounds
// that run one snapshot and one ps back to back, and from the median of each.
void PrintPairedRatios(int rounds) {
  Samples steady, first, psBesideSteady, psBesideFirst;
  {
    nv::LinuxProcesses kept;
    SnapshotOnce(kept);  // the first snapshot opens what the next ones keep
    for (int round = 0; round < rounds; ++round) {
      steady.Add(SnapshotOnce(kept));
      psBesideSteady.Add(PsOnce());
    }
  }
  for (int round = 0; round < rounds; ++round) {
    nv::LinuxProcesses fresh;
    first.Add(SnapshotOnce(fresh));
    psBesideFirst.Add(PsOnce());
  }
  std::printf("paired rounds: %d each\n", rounds);
  PrintRatio("snapshot of the running program / ps", steady, psBesideSteady);
  PrintRatio("first snapshot of a new walker / ps  ", first, psBesideFirst);
  std::printf("target: running program / ps <= 0.5\n");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (const int extra : {1000, 5000}) {
    IdleProcesses idle(extra);
    std::printf("\nextra idle processes: %zu\n", idle.size());
    if (extra == 1000) benchmark::RunSpecifiedBenchmarks();
    PrintPairedRatios(31);
  }
  benchmark::Shutdown();
  return 0;
}
