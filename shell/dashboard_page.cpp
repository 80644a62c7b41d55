#include "shell/dashboard_page.h"

#include <QAbstractEventDispatcher>
#include <QLabel>
#include <initializer_list>
#include <utility>

#include "engine/memory_units.h"
#include "monitor/dashboard_figures.h"
#include "monitor/status_texts.h"
#include "shell/TForm_Tarnel.h"
#include "shell/process_report_page.h"
#include "shell/tray_integration.h"
#include "shell/widgets/TGauge.h"
#include "shell/widgets/TLineChart.h"
#include "shell/widgets/TStatusBar.h"

namespace {

constexpr int kChartPoints = 50;
constexpr double kCpuChartTop = 100;

// Series of Chart_PhyMem. The legend lists the series added last first, so "Virtual Memory"
// stands left of "Physical Memory".
constexpr int kPhysSeries = 0;  // "PM"
constexpr int kVirtSeries = 1;  // "VM"

// Handles what is pending, as a sampler inside a refresh must let the interface breathe. The
// bound keeps a stream of posted events from holding the refresh forever.
void ProcessPendingEvents() {
  auto* dispatcher = QAbstractEventDispatcher::instance();
  if (!dispatcher) return;
  for (int round = 0; round < 64 && dispatcher->processEvents(QEventLoop::AllEvents); ++round) {
  }
}

void SetGauge(TGauge* gauge, const nv::GaugeSetting& g) {
  gauge->setMinValue(g.min);
  gauge->setMaxValue(g.max);
  gauge->setProgress(g.progress);
}

void SetText(QLabel* label, const std::string& text) { label->setText(QString::fromStdString(text)); }

void SetTexts(std::initializer_list<std::pair<QLabel*, const std::string&>> texts) {
  for (const auto& [label, text] : texts) SetText(label, text);
}

}  // namespace

namespace nv {

DashboardPage::DashboardPage(TForm_Tarnel& window) : w_(window), cpuSampler_(window.svc.cpu) {
  w_.Chart_CPUs->addSeries(QColor(0, 255, 0));                           // FastLineSeries1
  w_.Chart_PhyMem->addSeries(QColor(255, 128, 64), "Physical Memory");  // FastLineSeries2, "PM"
  w_.Chart_PhyMem->addSeries(QColor(255, 0, 255), "Virtual Memory");    // Series1, "VM"
  w_.Chart_PhyMem->setLegendVisible(true);
  cpuSampler_.SetPump(ProcessPendingEvents);
}

void DashboardPage::PrepareCharts() {
  const MemoryStatusEx status = memoryStatusLog_.ValueOr(w_.svc.memory.GlobalMemoryStatusEx(), MemoryStatusEx{});
  w_.Chart_PhyMem->setVerticalRange(0, static_cast<double>(MegabytesDown(status.ullTotalPhys)));
  w_.Chart_CPUs->setVerticalRange(0, kCpuChartTop);
  for (TLineChart* chart : {w_.Chart_CPUs, w_.Chart_PhyMem}) {
    for (int i = 0; i < chart->seriesCount(); ++i) chart->series(i).Fill(kChartPoints, 0);
    chart->update();
  }
}

void DashboardPage::Refresh() {
  w_.Report->Refresh();

  const MemoryStatusEx status = memoryStatusLog_.ValueOr(w_.svc.memory.GlobalMemoryStatusEx(), MemoryStatusEx{});
  w_.StatusBar_State->setPanelText(2, QString::fromStdString(StatusLineMemoryText(status)));
  const MemoryFigures mem = MakeMemoryFigures(status);

  w_.Chart_PhyMem->setVerticalRange(0, mem.physGraphTop);
  w_.Chart_PhyMem->series(kPhysSeries).Roll(mem.usedPhysPoint);
  SetText(w_.Label_PMu, mem.Label_PMu);
  w_.Chart_PhyMem->series(kVirtSeries).Roll(mem.usedPageFilePoint);
  SetText(w_.Label_VMu, mem.Label_VMu);
  w_.Chart_PhyMem->update();

  cpuUsage_ = cpuSampler_.SampleNtCpuUsage();
  const CpuFigures cpu = MakeCpuFigures(cpuUsage_);
  w_.Chart_CPUs->setVerticalRange(0, kCpuChartTop);
  for (int i = 0; i < w_.Chart_CPUs->seriesCount(); ++i) w_.Chart_CPUs->series(i).Roll(cpuUsage_);
  w_.Chart_CPUs->update();
  SetText(w_.Label_CPUusage, cpu.Label_CPUusage);

  SetGauge(w_.Gauge_Mem, mem.Gauge_Mem);
  SetText(w_.Label_MemusageNum, mem.Label_MemusageNum);
  SetGauge(w_.Gauge_VM, mem.Gauge_VM);
  SetText(w_.Label_vmnum, mem.Label_vmnum);
  SetGauge(w_.Gauge_CPU, cpu.Gauge_CPU);
  lastOverall_ = OverallFigures{mem, cpu};
  ShowOverall();

  SetTexts({{w_.Label_vmTotal, mem.Label_vmTotal},
            {w_.Label_vmFree, mem.Label_vmFree},
            {w_.Label_vmUsage, mem.Label_vmUsage},
            {w_.Label_pmTotal, mem.Label_pmTotal},
            {w_.Label_pmFree, mem.Label_pmFree},
            {w_.Label_pmUsage, mem.Label_pmUsage}});

  w_.Tray->UpdateTrayIcon(status);
}

void DashboardPage::ShowOverall() {
  if (!w_.Gauge_Cpu2 || !lastOverall_) return;
  const auto& [mem, cpu] = *lastOverall_;
  SetGauge(w_.Gauge_Mem2, mem.Gauge_Mem);
  SetGauge(w_.Gauge_Cpu2, cpu.Gauge_CPU);
  SetTexts({{w_.Label_MemusageNum2, mem.Label_MemusageNum},
            {w_.LTotalRAM, mem.LTotalRAM},
            {w_.LTotalPage, mem.LTotalPage},
            {w_.LTotalVirtual, mem.LTotalVirtual},
            {w_.LFreeRAM, mem.LFreeRAM},
            {w_.LPageFree, mem.LPageFree},
            {w_.LFreeVirtual, mem.LFreeVirtual}});
}

}  // namespace nv
