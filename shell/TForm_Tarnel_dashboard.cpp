#include <QAbstractEventDispatcher>
#include <QLabel>
#include <QTimer>

#include "engine/memory_units.h"
#include "monitor/dashboard_figures.h"
#include "monitor/status_texts.h"
#include "shell/TForm_Tarnel.h"
#include "shell/process_report_list.h"
#include "shell/tray_integration.h"
#include "shell/widgets/TGauge.h"
#include "shell/widgets/TLineChart.h"
#include "shell/widgets/TNotebook.h"
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

}  // namespace

void TForm_Tarnel::setupDashboard() {
  Chart_CPUs->addSeries(QColor(0, 255, 0));                           // FastLineSeries1
  Chart_PhyMem->addSeries(QColor(255, 128, 64), "Physical Memory");  // FastLineSeries2, "PM"
  Chart_PhyMem->addSeries(QColor(255, 0, 255), "Virtual Memory");    // Series1, "VM"
  Chart_PhyMem->setLegendVisible(true);
  CpuSampler.SetPump(ProcessPendingEvents);
  connect(Notebook1, &TNotebook::currentChanged, this, [this] { CatchUpProcessReport(); });
  connect(Timer_GetProcessInfo, &QTimer::timeout, this, [this] { Timer_GetProcessInfoTimer(); });
}

void TForm_Tarnel::PrepareCharts() {
  const nv::MemoryStatusEx status = MemoryStatusLog.ValueOr(svc.memory.GlobalMemoryStatusEx(), nv::MemoryStatusEx{});
  Chart_PhyMem->setVerticalRange(0, static_cast<double>(nv::MegabytesDown(status.ullTotalPhys)));
  Chart_CPUs->setVerticalRange(0, kCpuChartTop);
  for (TLineChart* chart : {Chart_CPUs, Chart_PhyMem}) {
    for (int i = 0; i < chart->seriesCount(); ++i) chart->series(i).Fill(kChartPoints, 0);
    chart->update();
  }
}

void TForm_Tarnel::Button_GetProcessInfoClick() {
  RefreshProcessReport();

  const nv::MemoryStatusEx status = MemoryStatusLog.ValueOr(svc.memory.GlobalMemoryStatusEx(), nv::MemoryStatusEx{});
  StatusBar_State->setPanelText(2, QString::fromStdString(nv::StatusLineMemoryText(status)));
  const nv::MemoryFigures mem = nv::MakeMemoryFigures(status);

  Chart_PhyMem->setVerticalRange(0, mem.physGraphTop);
  Chart_PhyMem->series(kPhysSeries).Roll(mem.usedPhysPoint);
  SetText(Label_PMu, mem.Label_PMu);
  Chart_PhyMem->series(kVirtSeries).Roll(mem.usedPageFilePoint);
  SetText(Label_VMu, mem.Label_VMu);
  Chart_PhyMem->update();

  CpuUsage = CpuSampler.SampleNtCpuUsage();
  const nv::CpuFigures cpu = nv::MakeCpuFigures(CpuUsage);
  Chart_CPUs->setVerticalRange(0, kCpuChartTop);
  for (int i = 0; i < Chart_CPUs->seriesCount(); ++i) Chart_CPUs->series(i).Roll(CpuUsage);
  Chart_CPUs->update();
  SetText(Label_CPUusage, cpu.Label_CPUusage);

  SetGauge(Gauge_Mem, mem.Gauge_Mem);
  SetText(Label_MemusageNum, mem.Label_MemusageNum);
  SetGauge(Gauge_VM, mem.Gauge_VM);
  SetText(Label_vmnum, mem.Label_vmnum);
  SetGauge(Gauge_CPU, cpu.Gauge_CPU);
  SetGauge(Gauge_Mem2, mem.Gauge_Mem);
  Label_MemusageNum2->setText(Label_MemusageNum->text());
  SetGauge(Gauge_Cpu2, cpu.Gauge_CPU);

  SetText(LTotalRAM, mem.LTotalRAM);
  SetText(LTotalPage, mem.LTotalPage);
  SetText(LTotalVirtual, mem.LTotalVirtual);
  SetText(LFreeRAM, mem.LFreeRAM);
  SetText(LPageFree, mem.LPageFree);
  SetText(LFreeVirtual, mem.LFreeVirtual);
  SetText(Label_vmTotal, mem.Label_vmTotal);
  SetText(Label_vmFree, mem.Label_vmFree);
  SetText(Label_vmUsage, mem.Label_vmUsage);
  SetText(Label_pmTotal, mem.Label_pmTotal);
  SetText(Label_pmFree, mem.Label_pmFree);
  SetText(Label_pmUsage, mem.Label_pmUsage);

  Tray->UpdateTrayIcon(status);
}

void TForm_Tarnel::Timer_GetProcessInfoTimer() { Button_GetProcessInfoClick(); }
