// The process report of the shown window with 1000 processes: one update brought to the screen
// (rows written, posted layout and paint handled) when no row, 5 rows or every row changed, and
// when one process ended and another started. The work should follow the rows that changed:
// the update of 5 changed rows should cost about the update of none plus 5/1000 of the
// difference to the update of all.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTreeWidget>

#include "shell/window_fixture.h"

namespace {

constexpr int kProcesses = 1000;

class BenchWindow : public nv::test::WindowFixture {
 public:
  void TestBody() override {}
  void Start() {
    SetUp();
    for (uint32_t pid = 1; pid <= kProcesses; ++pid) processes.Add(pid * 7, "process" + std::to_string(pid));
    TForm_Tarnel& w = Window();
    w.show();
    w.SpeedButton_fullClick();
    QCoreApplication::processEvents();
  }
  using nv::test::WindowFixture::processes;
  using nv::test::WindowFixture::Window;
};

// Per update, `changed` processes (spread over the list) get a new working set; with `churn`
// the last process ends and a new one starts instead.
void BM_ReportUpdate(benchmark::State& state) {
  const int changed = static_cast<int>(state.range(0));
  const bool churn = state.range(1) != 0;
  BenchWindow fixture;
  fixture.Start();
  TForm_Tarnel& w = fixture.Window();
  uint64_t round = 0;
  uint32_t nextPid = 100000;
  for (auto _ : state) {
    ++round;
    for (int i = 0; i < changed; ++i)
      fixture.processes.table[static_cast<size_t>(i) * kProcesses / changed].counters.WorkingSetSize = round << 12;
    if (churn) {
      fixture.processes.table.pop_back();
      fixture.processes.Add(nextPid++, "started");
    }
    w.UpdateProcessReport();
    QCoreApplication::processEvents();
  }
  state.counters["rows"] = TForm_TarnelProbe(w).ListView_ProcessReport->topLevelItemCount();
}
BENCHMARK(BM_ReportUpdate)
    ->ArgNames({"changed", "churn"})
    ->Args({0, 0})
    ->Args({5, 0})
    ->Args({kProcesses, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
