#pragma once
#include <optional>

#include "monitor/cpu_usage.h"
#include "monitor/dashboard_figures.h"
#include "platform/log.h"

class TForm_Tarnel;
class TForm_TarnelProbe;

namespace nv {

// The figures of the usage page and of the overall page, brought up to date by each status
// refresh from one reading of the memory status; it also keeps the CPU usage the tray shows.
// The overall page, made only when first selected, is written only once it exists.
class DashboardPage {
 public:
  explicit DashboardPage(TForm_Tarnel& window);

  // Fixed vertical ranges and 50 zero points in every series.
  void PrepareCharts();
  // One status refresh: the process report while it can be seen, the gauges, charts and
  // texts of both pages, the status line and the tray icon.
  void Refresh();
  // Writes the last refresh's figures into the overall page, once it is made.
  void ShowOverall();
  double CpuUsage() const { return cpuUsage_; }
  // The figures read 0 while the memory status cannot be read; said once for each such run,
  // whoever found the status unreadable.
  FailureRunLog& MemoryStatusLog() { return memoryStatusLog_; }

 private:
  friend class ::TForm_TarnelProbe;

  TForm_Tarnel& w_;
  double cpuUsage_ = 0;
  struct OverallFigures {
    MemoryFigures mem;
    CpuFigures cpu;
  };
  std::optional<OverallFigures> lastOverall_;  // none before the first refresh
  CpuUsageSampler cpuSampler_;
  FailureRunLog memoryStatusLog_{LogLevel::Warning, "The memory figures read 0"};
};

}  // namespace nv
