// One whole status refresh of the main window over the real Linux services, with 200 and with
// 2000 idle processes beside the usual ones, against one `top -b -n 1` over the same processes.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <ctime>

#include "bench/refresh/extra_processes.h"
#include "bench/refresh/printed_dialogs.h"
#include "engine/process_list.h"
#include "platform/linux/registry/hive_environment.h"
#include "shell/TForm_Tarnel.h"
#include "shell/linux_services.h"
#include "tests/shell/window_probe.h"

extern char** environ;

namespace {

double Seconds(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

// User plus system time of one `top -b -n 1`, its output thrown away.
double TopCpuSeconds() {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>("top"), const_cast<char*>("-b"), const_cast<char*>("-n"),
                  const_cast<char*>("1"), nullptr};
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, "top", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) return 0;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

TForm_Tarnel* g_window = nullptr;

void BM_StatusRefresh(benchmark::State& state) {
  nv::bench::ExtraProcesses::Resize(static_cast<int>(state.range(0)));
  g_window->Button_GetProcessInfoClick();  // the new processes get their rows outside the timing
  QCoreApplication::processEvents();

  const double start = ProcessCpuSeconds();
  for (auto _ : state) {
    g_window->Button_GetProcessInfoClick();
    QCoreApplication::processEvents();  // the repaint the refresh asks for
  }
  const double perRefresh = (ProcessCpuSeconds() - start) / static_cast<double>(state.iterations());

  constexpr int kTopRuns = 5;
  double top = 0;
  for (int i = 0; i < kTopRuns; ++i) top += TopCpuSeconds();
  top /= kTopRuns;
  state.counters["refresh_cpu_ms"] = perRefresh * 1e3;
  state.counters["top_cpu_ms"] = top * 1e3;
  state.counters["ratio_to_top"] = top > 0 ? perRefresh / top : 0;
}
BENCHMARK(BM_StatusRefresh)->Arg(200)->Arg(2000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The process snapshot alone, the part of the refresh that reads /proc, to show what the rest
// of the refresh (report rows, figures, graphs, tray icon, repaint) adds to it.
void BM_ProcessSnapshotOnly(benchmark::State& state) {
  nv::bench::ExtraProcesses::Resize(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    nv::TProcessList snapshot;
    nv::SnapshotProcesses(TForm_TarnelProbe(*g_window).svc.processes, snapshot);
    nv::CloseProcessHandles(snapshot);
  }
}
BENCHMARK(BM_ProcessSnapshotOnly)->Arg(200)->Arg(2000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  nv::bench::ExtraProcesses::StartSpawner();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir scratch;  // the settings the window loads and saves stay out of the user's
  qputenv("NORVANE_REGISTRY_DIR", scratch.path().toLocal8Bit());
  qputenv("NORVANE_AUTOSTART_DIR", scratch.path().toLocal8Bit());

  QApplication app(argc, argv);
  Q_INIT_RESOURCE(norvane);
  nv::LinuxServices platform;
  const auto registry = nv::MakeHiveRegistry();
  nv::bench::PrintedDialogs dialogs;
  nv::Services services = platform.services();
  TForm_Tarnel window(nv::Services{services.memory, services.processes, services.cpu, *registry, dialogs,
                                   services.clipboard, services.hotKeys, services.shell, services.instance,
                                   services.privileges, services.http, services.paging,
                                   services.reclaimer, services.reclaimMeter, services.focus});
  window.show();
  QCoreApplication::processEvents();
  // Only the benchmark refreshes; the program's own timers would add their work to it.
  TForm_TarnelProbe probe(window);
  for (QTimer* timer : {probe.Timer_GetProcessInfo, probe.Timer_self, probe.Timer_Auto}) timer->stop();
  g_window = &window;

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  nv::bench::ExtraProcesses::Stop();
  return 0;
}
