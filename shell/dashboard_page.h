#pragma once
#include "monitor/cpu_usage.h"
#include "platform/log.h"

class TForm_Tarnel;
class TForm_TarnelProbe;

namespace nv {

// The figures of the usage page and of the overall page, brought up to date by each status
// refresh from one reading of the memory status; it also keeps the CPU usage the tray shows.
class DashboardPage {
 public:
  explicit DashboardPage(TForm_Tarnel& window);

  // Fixed vertical ranges and 50 zero points in every series.
  void PrepareCharts();
  // One status refresh: the process report while it can be seen, the gauges, charts and
  // texts of both pages, the status line and the tray icon.
  void Refresh();
  double CpuUsage() const { return cpuUsage_; }
  // The figures read 0 while the memory status cannot be read; said once for each such run,
  // whoever found the status unreadable.
  FailureRunLog& MemoryStatusLog() { return memoryStatusLog_; }

 private:
  friend class ::TForm_TarnelProbe;

  TForm_Tarnel& w_;
  double cpuUsage_ = 0;
  CpuUsageSampler cpuSampler_;
  FailureRunLog memoryStatusLog_{LogLevel::Warning, "The memory figures read 0"};
};

}  // namespace nv
