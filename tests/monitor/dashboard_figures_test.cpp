#include "monitor/dashboard_figures.h"

#include <gtest/gtest.h>

#include <limits>

namespace nv {
namespace {

constexpr uint64_t MiB = 1048576;

TEST(DashboardFigures, HalfOfOnePointFiveGigabytesFree) {
  MemoryStatusEx s;
  s.ullTotalPhys = 1610612736;
  s.ullAvailPhys = 805306368;
  const MemoryFigures f = MakeMemoryFigures(s);
  EXPECT_EQ(f.Label_pmTotal, "1536 MB");
  EXPECT_EQ(f.Label_pmFree, "768 MB");
  EXPECT_EQ(f.Label_pmUsage, "768 MB");
  EXPECT_EQ(f.Label_MemusageNum, "768 MB/1536 MB");
  EXPECT_EQ(f.LTotalRAM, "1572864 KB");
  EXPECT_EQ(f.Gauge_Mem.min, 0);
  EXPECT_EQ(f.Gauge_Mem.max, 1536);
  EXPECT_EQ(f.Gauge_Mem.progress, 768);
  EXPECT_EQ(f.usedPhysPoint, 768);
  EXPECT_EQ(f.Label_PMu, "768 MB");
}

TEST(DashboardFigures, NearestLabelsRoundHalfToEvenWhileTotalsRoundDown) {
  MemoryStatusEx s;
  s.ullTotalPhys = 1073217536;  // 1023.5 MB
  s.ullAvailPhys = 0;
  const MemoryFigures f = MakeMemoryFigures(s);
  EXPECT_EQ(f.Label_pmTotal, "1024 MB");
  EXPECT_EQ(f.Label_MemusageNum, "1023 MB/1023 MB");
  EXPECT_EQ(f.physGraphTop, 1023);
}

TEST(DashboardFigures, PhysicalGaugeSubtractsRoundedTotalsAndMayDifferByOneFromTheText) {
  MemoryStatusEx s;
  s.ullTotalPhys = 1000 * MiB;
  s.ullAvailPhys = 400 * MiB + MiB / 2;  // used 599.5 MB
  const MemoryFigures f = MakeMemoryFigures(s);
  EXPECT_EQ(f.Gauge_Mem.progress, 600);
  EXPECT_EQ(f.Label_MemusageNum, "599 MB/1000 MB");
  EXPECT_EQ(f.usedPhysPoint, 599);
}

TEST(DashboardFigures, CommitAbovePhysicalMemoryStillFitsItsGauge) {
  MemoryStatusEx s;
  s.ullTotalPhys = 1024 * MiB;
  s.ullAvailPhys = 512 * MiB;
  s.ullTotalPageFile = 3072 * MiB;
  s.ullAvailPageFile = 1024 * MiB;
  const MemoryFigures f = MakeMemoryFigures(s);
  EXPECT_GT(f.usedPageFilePoint, f.physGraphTop);  // the "VM" line runs above the graph
  EXPECT_EQ(f.Gauge_VM.max, 3072);
  EXPECT_EQ(f.Gauge_VM.progress, 2048);
  EXPECT_EQ(f.Label_vmnum, "2048 MB/3072 MB");
  EXPECT_EQ(f.Label_VMu, "2048 MB");
  EXPECT_EQ(f.Label_vmTotal, "3072 MB");
  EXPECT_EQ(f.Label_vmFree, "1024 MB");
  EXPECT_EQ(f.Label_vmUsage, "2048 MB");
}

TEST(DashboardFigures, KilobyteLabelsRoundToNearest) {
  MemoryStatusEx s;
  s.ullTotalPhys = 2560;      // 2.5 KB
  s.ullAvailPhys = 1536;      // 1.5 KB
  s.ullTotalPageFile = 3584;  // 3.5 KB
  s.ullAvailPageFile = 1023;
  s.ullTotalVirtual = 140737488351232;  // 128 TiB - 4 KiB
  s.ullAvailVirtual = 513;
  const MemoryFigures f = MakeMemoryFigures(s);
  EXPECT_EQ(f.LTotalRAM, "2 KB");
  EXPECT_EQ(f.LFreeRAM, "2 KB");
  EXPECT_EQ(f.LTotalPage, "4 KB");
  EXPECT_EQ(f.LPageFree, "1 KB");
  EXPECT_EQ(f.LTotalVirtual, "137438953468 KB");
  EXPECT_EQ(f.LFreeVirtual, "1 KB");
}

TEST(DashboardFigures, CpuIsTruncatedTowardZeroForTextsAndGauges) {
  struct Case {
    double cpu;
    int gauge;
    const char* label;
  } cases[] = {{0, 0, "0%"},      {37.9, 37, "37%"},  {100, 100, "100%"},
               {-1, -1, "-1%"},   {-0.5, 0, "0%"},    {std::numeric_limits<double>::quiet_NaN(), 0, "0%"}};
  for (const auto& c : cases) {
    const CpuFigures f = MakeCpuFigures(c.cpu);
    EXPECT_EQ(f.Gauge_CPU.min, 0);
    EXPECT_EQ(f.Gauge_CPU.max, 100);
    EXPECT_EQ(f.Gauge_CPU.progress, c.gauge) << c.cpu;
    EXPECT_EQ(f.Label_CPUusage, c.label) << c.cpu;
  }
}

}  // namespace
}  // namespace nv
