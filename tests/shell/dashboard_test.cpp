#include <QLabel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <functional>

#include "window_fixture.h"
#include "window_probe.h"

namespace nv::test {
namespace {

constexpr uint64_t MB = 1048576;

class DashboardTest : public WindowFixture {
 protected:
  // The window as the first showing leaves the graphs (50 zero points each), with the overall
  // page made.
  TForm_Tarnel& Prepared() {
    TForm_Tarnel& w = Window();
    TForm_TarnelProbe probe(w);
    probe.PrepareCharts();
    probe.Notebook1->page("OverallOpimize");
    return w;
  }
  static std::string Text(QLabel* label) { return label->text().toStdString(); }
};

TEST_F(DashboardTest, RefreshWritesEveryFigureFromOneSnapshot) {
  memory.status = {512 * MB, 200 * MB, 1200 * MB, 900 * MB, 3 * 1024 * MB, 1024 * MB + 513};
  TForm_Tarnel& w = Prepared();
  TForm_TarnelProbe probe(w);
  const int readsBefore = memory.statusCalls;
  w.Button_GetProcessInfoClick();

  EXPECT_EQ(memory.statusCalls - readsBefore, 1) << "the dashboard, status bar and tray icon share one reading";
  EXPECT_EQ(probe.TrayIcon()->toolTip().toStdString(), "200 MB free of 512 MB physical memory");
  EXPECT_EQ(probe.StatusBar_State->panelText(2).toStdString(), "PM:204800K/524288K PF:921600K/1228800K ");
  EXPECT_EQ(Text(probe.Label_pmTotal), "512 MB");
  EXPECT_EQ(Text(probe.Label_pmFree), "200 MB");
  EXPECT_EQ(Text(probe.Label_pmUsage), "312 MB");
  EXPECT_EQ(Text(probe.Label_vmTotal), "1200 MB");
  EXPECT_EQ(Text(probe.Label_vmFree), "900 MB");
  EXPECT_EQ(Text(probe.Label_vmUsage), "300 MB");
  EXPECT_EQ(Text(probe.Label_MemusageNum), "312 MB/512 MB");
  EXPECT_EQ(Text(probe.Label_MemusageNum2), "312 MB/512 MB");
  EXPECT_EQ(Text(probe.Label_vmnum), "300 MB/1200 MB");
  EXPECT_EQ(Text(probe.Label_PMu), "312 MB");
  EXPECT_EQ(Text(probe.Label_VMu), "300 MB");
  EXPECT_EQ(Text(probe.LTotalRAM), "524288 KB");
  EXPECT_EQ(Text(probe.LFreeRAM), "204800 KB");
  EXPECT_EQ(Text(probe.LTotalPage), "1228800 KB");
  EXPECT_EQ(Text(probe.LPageFree), "921600 KB");
  EXPECT_EQ(Text(probe.LTotalVirtual), "3145728 KB");
  EXPECT_EQ(Text(probe.LFreeVirtual), "1048577 KB");

  for (TGauge* g : {probe.Gauge_Mem, probe.Gauge_Mem2}) {
    EXPECT_EQ(g->maxValue(), 512);
    EXPECT_EQ(g->progress(), 312);
    EXPECT_EQ(g->text(), "60%");
  }
  EXPECT_EQ(probe.Gauge_VM->maxValue(), 1200);
  EXPECT_EQ(probe.Gauge_VM->progress(), 300);
  EXPECT_EQ(probe.Gauge_VM->text(), "25%");

  // The first sample after start is 0.
  EXPECT_EQ(Text(probe.Label_CPUusage), "0%");
  for (TGauge* g : {probe.Gauge_CPU, probe.Gauge_Cpu2}) EXPECT_EQ(g->text(), "0%");
  EXPECT_EQ(probe.Chart_CPUs->series(0).y(49), 0);
}

TEST_F(DashboardTest, GraphsRollOneStepPerRefreshWithinFixedRanges) {
  memory.status = FakeMemory::StatusMB(1024, 256, 1024, 0);  // commit charge above physical memory
  TForm_Tarnel& w = Prepared();
  TForm_TarnelProbe probe(w);
  for (int i = 0; i < 3; ++i) w.Button_GetProcessInfoClick();

  EXPECT_EQ(probe.Chart_PhyMem->verticalMax(), 1024);
  EXPECT_EQ(probe.Chart_CPUs->verticalMax(), 100);
  for (TLineChart* chart : {probe.Chart_CPUs, probe.Chart_PhyMem})
    for (int i = 0; i < chart->seriesCount(); ++i) EXPECT_EQ(chart->series(i).count(), 50);
  ASSERT_EQ(probe.Chart_PhyMem->seriesCount(), 2);
  const ChartSeries& phys = probe.Chart_PhyMem->series(0);
  const ChartSeries& virt = probe.Chart_PhyMem->series(1);
  EXPECT_EQ(phys.y(46), 0);
  EXPECT_EQ(phys.y(47), 768);
  EXPECT_EQ(phys.y(49), 768);
  EXPECT_EQ(virt.y(49), 1024);
  EXPECT_EQ(phys.x(1) - phys.x(0), phys.x(49) - phys.x(48));
  EXPECT_EQ(probe.Gauge_VM->text(), "100%");
}

TEST_F(DashboardTest, CpuSampleReachesTheTextsGaugesAndGraphAndNeverLeavesZeroToHundred) {
  // Primed by the first sample; then 75.5 % busy, then idle counted beyond the whole interval
  // (the kernel's iowait can step back and forth), which must read 0, never below.
  cpu.Push(10000, 5000);
  cpu.Push(11000, 5245);
  cpu.Push(12000, 6257);
  TForm_Tarnel& w = Prepared();
  TForm_TarnelProbe probe(w);
  w.Button_GetProcessInfoClick();
  w.Button_GetProcessInfoClick();
  EXPECT_EQ(probe.CpuUsage(), 76);
  EXPECT_EQ(Text(probe.Label_CPUusage), "76%");
  EXPECT_EQ(probe.Gauge_CPU->progress(), 76);
  EXPECT_EQ(probe.Gauge_Cpu2->progress(), 76);
  EXPECT_EQ(probe.Chart_CPUs->series(0).y(49), 76);

  w.Button_GetProcessInfoClick();
  EXPECT_EQ(probe.CpuUsage(), 0);
  EXPECT_EQ(Text(probe.Label_CPUusage), "0%");
  EXPECT_EQ(probe.Gauge_CPU->text(), "0%");
  EXPECT_EQ(probe.Gauge_Cpu2->text(), "0%");
  EXPECT_EQ(probe.Chart_CPUs->series(0).y(49), 0);
}

// The overall page is made only when selected: the refreshes before leave it unmade, and once
// made it shows the last refresh's figures, not a reading of its own, and follows the next.
TEST_F(DashboardTest, AnOverallPageMadeLaterShowsTheLastRefreshAndFollowsTheNext) {
  memory.status = {512 * MB, 200 * MB, 1200 * MB, 900 * MB, 3 * 1024 * MB, 1024 * MB + 513};
  cpu.Push(10000, 5000);
  cpu.Push(11000, 5245);
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  probe.PrepareCharts();
  w.Button_GetProcessInfoClick();
  w.Button_GetProcessInfoClick();
  EXPECT_EQ(w.findChild<QLabel*>("LTotalRAM"), nullptr);
  EXPECT_EQ(probe.Gauge_Cpu2, nullptr);
  memory.status = FakeMemory::StatusMB(1024, 256, 2048, 1024);  // read by no refresh yet
  const int readsBefore = memory.statusCalls;

  probe.Notebook1->setActivePage("OverallOpimize");
  EXPECT_EQ(memory.statusCalls, readsBefore);
  EXPECT_EQ(Text(probe.LTotalRAM), "524288 KB");
  EXPECT_EQ(Text(probe.LFreeVirtual), "1048577 KB");
  EXPECT_EQ(Text(probe.Label_MemusageNum2), "312 MB/512 MB");
  EXPECT_EQ(probe.Gauge_Mem2->progress(), 312);
  EXPECT_EQ(probe.Gauge_Cpu2->progress(), 76);

  w.Button_GetProcessInfoClick();
  EXPECT_EQ(Text(probe.LTotalRAM), "1048576 KB");
  EXPECT_EQ(Text(probe.Label_MemusageNum2), "768 MB/1024 MB");
  EXPECT_EQ(probe.Gauge_Mem2->maxValue(), 1024);
}

class ReportTest : public DashboardTest {
 protected:
  std::vector<std::string> Column(int column) {
    std::vector<std::string> texts;
    QTreeWidget* list = Probe().ListView_ProcessReport;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
      texts.push_back(list->topLevelItem(row)->text(column).toStdString());
    return texts;
  }
  // A refresh with the report in sight: window shown, processes page selected.
  void Refresh() {
    TForm_Tarnel& w = Window();
    if (!TForm_TarnelProbe(w).ProcessReportCanBeSeen()) {
      w.show();
      w.SpeedButton_fullClick();
    }
    w.Button_GetProcessInfoClick();
  }
  std::string Count() { return Probe().StatusBar_State->panelText(0).toStdString(); }
};

using Texts = std::vector<std::string>;

// Rows taken out or added below the shown ones change nothing on the screen and repaint
// nothing; a row taken out among the shown ones moves them, and the list shows the move.
TEST_F(ReportTest, OnlyRowsThatMoveInSightRepaintTheList) {
  // Long enough for the list's posted layout to run.
  const auto Settle = [] {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 100) QCoreApplication::processEvents();
  };
  for (uint32_t pid = 1; pid <= 100; ++pid) processes.Add(pid * 10, "process" + std::to_string(pid));
  Refresh();
  Settle();
  QTreeWidget* list = Probe().ListView_ProcessReport;
  struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      paints += e->type() == QEvent::Paint;
      return false;
    }
  } counter;
  list->viewport()->installEventFilter(&counter);
  const QImage before = list->viewport()->grab().toImage();
  counter.paints = 0;  // grabbing paints too

  processes.table.erase(processes.table.begin() + 90);  // far below the shown rows
  processes.Add(5000, "started");
  Refresh();
  Settle();
  EXPECT_EQ(counter.paints, 0);
  EXPECT_EQ(list->topLevelItemCount(), 100);
  EXPECT_EQ(Column(0).back(), "started");
  EXPECT_EQ(list->viewport()->grab().toImage(), before);

  processes.table.erase(processes.table.begin());  // the first row
  Refresh();
  Settle();
  EXPECT_GT(counter.paints, 0);
  EXPECT_EQ(Column(0).front(), "process2");
  EXPECT_NE(list->viewport()->grab().toImage(), before);
  list->viewport()->removeEventFilter(&counter);
}

TEST_F(ReportTest, RowsStayInPlaceNewOnesComeLastEndedOnesGo) {
  processes.Add(100, "init");
  processes.Add(200, "shell");
  processes.Add(300, "editor");
  Refresh();
  EXPECT_EQ(Column(0), (Texts{"init", "shell", "editor"}));
  EXPECT_EQ(Count(), "Process number:3");

  // Select a row and scroll: both survive a refresh that reorders, adds and removes.
  QTreeWidget* list = Probe().ListView_ProcessReport;
  QTreeWidgetItem* editor = list->topLevelItem(2);
  list->setCurrentItem(editor);
  processes.table.erase(processes.table.begin() + 1);     // "shell" ended
  std::swap(processes.table[0], processes.table[1]);     // walk order changed
  processes.Add(400, "viewer").counters.WorkingSetSize = 8192;
  Refresh();
  EXPECT_EQ(Column(0), (Texts{"init", "editor", "viewer"}));
  EXPECT_EQ(Column(1), (Texts{"100", "300", "400"}));
  EXPECT_EQ(Column(2)[2], "8 K");
  EXPECT_EQ(Count(), "Process number:3");
  EXPECT_EQ(list->currentItem(), editor);
  EXPECT_TRUE(editor->isSelected());
  EXPECT_EQ(processes.OpenHandles(), 0u);

  // An identifier given to a new process keeps its row.
  processes.table[1].exeName = "reborn";  // pid 100, walked second now
  Refresh();
  EXPECT_EQ(Column(0), (Texts{"reborn", "editor", "viewer"}));
}

TEST_F(ReportTest, CellsOfSpecialProcessesAndPriorities) {
  auto& idle = processes.Add(0, "[System Process]", ProcessAccess::None);
  idle.basePriority = 0;
  auto& four = processes.Add(4, "kworker", ProcessAccess::Full, "/usr/lib/systemd/systemd");
  four.counters = {77, 4294966272, 4294966272};
  processes.Add(10, "normal").basePriority = 8;
  processes.Add(11, "odd").basePriority = 7;
  processes.Add(12, "rt").basePriority = 24;
  Refresh();

  EXPECT_EQ(Column(2), (Texts{"16 K", "4194303 K", "0 K", "0 K", "0 K"}));
  EXPECT_EQ(Column(3)[0], "0 K");
  EXPECT_EQ(Column(4)[0], "0");
  EXPECT_EQ(Column(4)[1], "77");
  EXPECT_EQ(Column(5), (Texts{"Vacant", "Standard", "Standard", "", ""}));
  EXPECT_EQ(Column(7)[0], "");
  EXPECT_EQ(Column(7)[1], "/usr/lib/systemd/systemd");  // process 4 is nothing special here
  QTreeWidgetItem* row = Probe().ListView_ProcessReport->topLevelItem(1);
  EXPECT_TRUE(row->textAlignment(1) & Qt::AlignRight);
  EXPECT_FALSE(row->textAlignment(5) & Qt::AlignRight);
}

TEST_F(ReportTest, EmptySnapshotEmptiesTheList) {
  processes.Add(1, "a");
  Refresh();
  processes.table.clear();
  Refresh();
  EXPECT_EQ(Probe().ListView_ProcessReport->topLevelItemCount(), 0);
  EXPECT_EQ(Count(), "Process number:0");
}

TEST_F(ReportTest, ProcessesAreWalkedOnlyWhileTheReportCanBeSeen) {
  processes.Add(1, "init");
  TForm_Tarnel& w = Window();
  struct Row {
    const char* what;
    std::function<void()> enter;
    bool walked;
  };
  const Row rows[] = {
      {"window never shown", [] {}, false},
      {"window shown on the usage page", [&] { w.show(); }, false},
      {"processes page selected", [&] { w.SpeedButton_fullClick(); }, true},
      {"window minimized", [&] { w.showMinimized(); }, false},
      {"window back from the task bar", [&] { w.showNormal(); }, true},
      {"window hidden in the tray", [&] { w.hide(); }, false},
      {"window shown again on the processes page", [&] { w.show(); }, true},
      {"settings page selected", [&] { w.SpeedButton_SetClick(); }, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    row.enter();
    const int walks = processes.walks;
    w.Button_GetProcessInfoClick();
    w.Button_GetProcessInfoClick();
    EXPECT_EQ(processes.walks - walks, row.walked ? 2 : 0);
  }
  // The descriptors kept for walks are let go once, when the walks stop.
  EXPECT_EQ(processes.releases, 4);
}

TEST_F(ReportTest, RowsAndCountCatchUpTheMomentTheReportCanBeSeenAgain) {
  processes.Add(1, "init");
  processes.Add(2, "ending");
  Refresh();
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  QTreeWidget* list = probe.ListView_ProcessReport;
  list->setCurrentItem(list->topLevelItem(0));
  struct Row {
    const char* what;
    std::function<void()> hide, show;
  };
  const Row rows[] = {
      {"another page", [&] { w.SpeedButton_UsageGraphClick(); }, [&] { w.SpeedButton_fullClick(); }},
      {"minimized", [&] { w.showMinimized(); }, [&] { w.showNormal(); }},
      {"hidden in the tray", [&] { w.hide(); }, [&] { w.OpenMainWindow1Click(); }},
  };
  uint32_t next = 10;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    row.hide();
    w.Button_GetProcessInfoClick();
    processes.table.erase(processes.table.begin() + 1);
    processes.Add(next++, "started");
    w.Button_GetProcessInfoClick();
    EXPECT_EQ(Column(0), (Texts{"init", "ending"}));  // still as last seen
    row.show();
    EXPECT_EQ(Column(0), (Texts{"init", "started"}));
    EXPECT_EQ(Count(), "Process number:2");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    processes.table.back().exeName = "ending";  // the next round ends it
    w.Button_GetProcessInfoClick();
  }
  // Auto refresh off: shown again, it catches up once, then stays as that walk left it.
  const int walks = processes.walks;
  w.SpeedButton_SetClick();
  w.Button_GetProcessInfoClick();
  w.SpeedButton_fullClick();
  w.SpeedButton_fullClick();
  EXPECT_EQ(processes.walks - walks, 1);
}

}  // namespace
}  // namespace nv::test
