#include "monitor/dashboard_figures.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/memory_units.h"

namespace nv {

namespace {

// Gauges count in int; megabyte figures beyond that range cannot arise on real hardware but
// must not wrap into negative bars.
int GaugeInt(uint64_t megabytes) {
  return static_cast<int>(std::min<uint64_t>(megabytes, std::numeric_limits<int>::max()));
}

std::string Kb(uint64_t bytes) { return std::to_string(KilobytesNearest(bytes)) + " KB"; }
std::string Mb(uint64_t bytes) { return std::to_string(MegabytesNearest(bytes)) + " MB"; }

}  // namespace

MemoryFigures MakeMemoryFigures(const MemoryStatusEx& s) {
  MemoryFigures f;
  const uint64_t usedPhysMb = MegabytesDown(UsedPhys(s));
  const uint64_t usedPageFileMb = MegabytesDown(UsedPageFile(s));
  const uint64_t totalPhysMb = MegabytesDown(s.ullTotalPhys);
  const uint64_t totalPageFileMb = MegabytesDown(s.ullTotalPageFile);

  f.usedPhysPoint = static_cast<double>(usedPhysMb);
  f.usedPageFilePoint = static_cast<double>(usedPageFileMb);
  f.physGraphTop = static_cast<double>(totalPhysMb);
  f.Label_PMu = std::to_string(usedPhysMb) + " MB";
  f.Label_VMu = std::to_string(usedPageFileMb) + " MB";

  const int totalPhysGauge = GaugeInt(totalPhysMb);
  f.Gauge_Mem = {0, totalPhysGauge, totalPhysGauge - GaugeInt(MegabytesDown(s.ullAvailPhys))};
  f.Gauge_VM = {0, GaugeInt(totalPageFileMb), GaugeInt(usedPageFileMb)};
  f.Label_MemusageNum = std::to_string(usedPhysMb) + " MB/" + std::to_string(totalPhysMb) + " MB";
  f.Label_vmnum = std::to_string(usedPageFileMb) + " MB/" + std::to_string(totalPageFileMb) + " MB";

  f.LTotalRAM = Kb(s.ullTotalPhys);
  f.LTotalPage = Kb(s.ullTotalPageFile);
  f.LTotalVirtual = Kb(s.ullTotalVirtual);
  f.LFreeRAM = Kb(s.ullAvailPhys);
  f.LPageFree = Kb(s.ullAvailPageFile);
  f.LFreeVirtual = Kb(s.ullAvailVirtual);

  f.Label_vmTotal = Mb(s.ullTotalPageFile);
  f.Label_vmFree = Mb(s.ullAvailPageFile);
  f.Label_vmUsage = Mb(UsedPageFile(s));
  f.Label_pmTotal = Mb(s.ullTotalPhys);
  f.Label_pmFree = Mb(s.ullAvailPhys);
  f.Label_pmUsage = Mb(UsedPhys(s));
  return f;
}

int TruncatedCpuUsage(double cpuUsage) {
  if (std::isnan(cpuUsage)) return 0;
  const double limit = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(cpuUsage, -limit, limit));
}

CpuFigures MakeCpuFigures(double cpuUsage) {
  const int cpu = TruncatedCpuUsage(cpuUsage);
  return {{0, 100, cpu}, std::to_string(cpu) + "%"};
}

}  // namespace nv
