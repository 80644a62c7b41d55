#pragma once
#include <cstdint>
#include <string>

#include "platform/memory.h"

namespace nv {

// What one gauge is given: minimum first, then maximum, then progress.
struct GaugeSetting {
  int min = 0;
  int max = 0;
  int progress = 0;
};

// Everything the dashboard shows of one memory snapshot.
struct MemoryFigures {
  // Graph points and the memory graph's top, in whole megabytes rounded down.
  double usedPhysPoint = 0;
  double usedPageFilePoint = 0;
  double physGraphTop = 0;
  std::string Label_PMu, Label_VMu;
  // The progress of the physical gauges is the difference of two rounded-down totals, so it
  // may differ by one from the texts, which round the difference.
  GaugeSetting Gauge_Mem, Gauge_VM;
  std::string Label_MemusageNum, Label_vmnum;
  // "%d KB" labels of the overall page.
  std::string LTotalRAM, LTotalPage, LTotalVirtual, LFreeRAM, LPageFree, LFreeVirtual;
  // "%d MB" labels of the usage page.
  std::string Label_vmTotal, Label_vmFree, Label_vmUsage, Label_pmTotal, Label_pmFree, Label_pmUsage;
};

MemoryFigures MakeMemoryFigures(const MemoryStatusEx& status);

// The CPU sample as texts and gauges use it: truncated toward zero. A value that is not a
// number counts as 0.
int TruncatedCpuUsage(double cpuUsage);

struct CpuFigures {
  GaugeSetting Gauge_CPU;  // Gauge_Cpu2 shows the same
  std::string Label_CPUusage;
};

CpuFigures MakeCpuFigures(double cpuUsage);

}  // namespace nv
