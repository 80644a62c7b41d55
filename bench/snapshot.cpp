// One full process snapshot (walk, open, path, counters, close) against `ps` reading the same
// fields, with 1000 extra idle processes on the system. Prints the ratio ours/ps.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/process_list.h"
#include "platform/linux/linux_processes.h"

extern char** environ;

namespace {

constexpr int kExtraProcesses = 1000;

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
    nv::CloseProcessHandles(processes, list);
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
    const pid_t pid = Spawn({"ps", "-e", "-o", "pid=,ppid=,pri=,ni=,rss=,min_flt=,maj_flt=,comm="}, true);
    rusage usage{};
    ::wait4(pid, nullptr, 0, &usage);
    cpu += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  }
  state.counters["cpu_ms"] = benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Ps)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps the real time per iteration of each benchmark beside the usual console report.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      realTime[run.benchmark_name()] = run.GetAdjustedRealTime();
      const auto cpu = run.counters.find("cpu_ms");
      if (cpu != run.counters.end()) cpuTime[run.benchmark_name()] = cpu->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> realTime;
  std::map<std::string, double> cpuTime;
};

void PrintRatio(const char* what, const std::map<std::string, double>& times) {
  const auto ours = times.find("BM_SnapshotProcesses/min_time:2.000/real_time");
  const auto ps = times.find("BM_Ps/min_time:2.000/real_time");
  if (ours != times.end() && ps != times.end() && ps->second > 0)
    std::printf("snapshot/ps ratio, %s: %.2f (target <= 0.8, goal 0.5)\n", what, ours->second / ps->second);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  IdleProcesses idle(kExtraProcesses);
  std::printf("extra idle processes: %zu\n", idle.size());
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatio("real time", reporter.realTime);
  PrintRatio("CPU time", reporter.cpuTime);
  benchmark::Shutdown();
  return 0;
}
