#include "monitor/process_report_cells.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace nv {
namespace {

using testing::ElementsAre;

TProcess Process(uint32_t pid, int priority, uint64_t workingSet, std::string path) {
  TProcess p;
  p.ProcessID = pid;
  p.ExeName = "name" + std::to_string(pid);
  p.BasePriority = priority;
  p.ParentProcessID = 1;
  p.WorkingSetSize = workingSet;
  p.PeakWorkingSetSize = 3 * 1024 + 1023;
  p.PageFaultCount = 77;
  p.ExePath = std::move(path);
  return p;
}

TEST(ProcessReportCells, CaptionsInColumnOrder) {
  EXPECT_THAT(ProcessReportCaptions(), ElementsAre("Process name", "PID", "Mem usage", "Peak mem usage",
                                                   "Page error", "Base Priority", "ParentPID", "Exe file name"));
}

TEST(ProcessReportCells, OrdinaryProcess) {
  EXPECT_THAT(ProcessReportCells(Process(812, 8, 1536, "/usr/sbin/sshd")),
              ElementsAre("name812", "812", "1 K", "3 K", "77", "Standard", "1", "/usr/sbin/sshd"));
}

TEST(ProcessReportCells, IdleProcessShowsSixteenKilobytesWhateverItsCounters) {
  TProcess idle = Process(0, 0, 999999, "");
  idle.PeakWorkingSetSize = 0;
  idle.PageFaultCount = 0;
  EXPECT_THAT(ProcessReportCells(idle), ElementsAre("name0", "0", "16 K", "0 K", "0", "Vacant", "1", ""));
}

// On Linux process 4 is an ordinary process (often a kernel worker, sometimes a program): no
// identifier other than the idle one is treated apart.
TEST(ProcessReportCells, ProcessFourShowsItsOwnFileLikeAnyOther) {
  EXPECT_EQ(ProcessReportCells(Process(4, 8, 0, "/usr/bin/sleep"))[7], "/usr/bin/sleep");
  EXPECT_EQ(ProcessReportCells(Process(4, 8, 0, ""))[7], "");
}

TEST(ProcessReportCells, PriorityCellStartsEmptyForEveryRow) {
  const struct {
    int priority;
    const char* cell;
  } cases[] = {{8, "Standard"}, {9, "Standard"}, {11, "Standard"}, {10, "High"}, {13, "Very high"},
               {4, "Low"},      {6, "Low"},      {7, ""},          {24, ""}};
  for (const auto& c : cases) EXPECT_EQ(ProcessReportCells(Process(100, c.priority, 0, ""))[5], c.cell) << c.priority;
}

TEST(ProcessReportCells, LargeWorkingSetsKeepAllTheirKilobytes) {
  EXPECT_EQ(ProcessReportCells(Process(9, 8, 4294966272u, ""))[2], "4194303 K");
  EXPECT_EQ(ProcessReportCells(Process(9, 8, uint64_t{6} << 32, ""))[2], "25165824 K");
}

}  // namespace
}  // namespace nv
