#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "platform/linux/system/linux_processes.h"
#include "platform/linux/system/page_out.h"
#include "platform/linux/system/proc_process_reader.h"
#include "platform/linux/system/linux_reclaim_meter.h"
#include "platform/linux/system/meminfo.h"
#include "platform/linux/system/proc_stat_parser.h"
#include "platform/linux/system/text_fields.h"

namespace nv {
namespace {

const std::string kWalkRoot = std::string(NV_FIXTURES) + "/proc_walk";
const std::string kLongName = std::string(251, 'n') + ".bin";

class FixtureRoot {
 public:
  FixtureRoot() : fd_(::open(kWalkRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  ~FixtureRoot() { ::close(fd_); }
  int fd() const { return fd_; }

 private:
  int fd_;
};

std::map<uint32_t, ProcessWalkEntry> WalkFixture() {
  LinuxProcesses processes(kWalkRoot);
  const std::vector<ProcessWalkEntry> walk = processes.Walk().value_or({});
  std::map<uint32_t, ProcessWalkEntry> byPid;
  for (const auto& entry : walk) EXPECT_TRUE(byPid.emplace(entry.ProcessID, entry).second) << entry.ProcessID;
  return byPid;
}

TEST(ProcessWalk, ListsReadableProcessesAndPassesOverEverythingElse) {
  // 4400 vanished before its stat was read, 4500 holds garbage, 4600's stat cannot be read,
  // 4700 is cut short; 12ab, net, self and meminfo are not process entries.
  std::vector<uint32_t> pids;
  for (const auto& [pid, entry] : WalkFixture()) pids.push_back(pid);
  EXPECT_EQ(pids, (std::vector<uint32_t>{1, 2, 4100, 4200, 4201, 4300, 4800, 4901, 4902, 4903}));
}

TEST(ProcessWalk, FillsParentPriorityAndNameOfEachProcess) {
  struct Row {
    uint32_t pid;
    const char* what;
    uint32_t parent;
    int32_t priority;
    std::string name;
  };
  const Row rows[] = {
      {1, "ordinary process at nice -10, name from the exe link", 0, 10, "process_api"},
      {2, "kernel thread: no exe link, empty argv, name from comm", 0, 8, "kthreadd"},
      {4100, "name from the exe link", 15077, 8, "sleep"},
      {4200, "name with spaces and parentheses that mimics stat fields", 4100, 8, "x) R 1 (y z"},
      {4201, "exe link refused: file name of argv[0], spaces kept", 1, 8, "my tool"},
      {4300, "file name of the longest length a file system allows", 1, 8, kLongName},
      {4800, "SCHED_FIFO counts as real time", 1, 24, "rtkit"},
      {4901, "file replaced by an upgrade: the exe link's mark is no part of the name", 1, 8, "cron"},
      {4902, "exe link refused, argv[0] rewritten to another name: the kernel's name", 1, 8, "sleep"},
      {4903, "exe link refused, argv[0] completes the kernel's 15 bytes", 1, 8, "gsd-screensaver-proxy"},
  };
  const auto walk = WalkFixture();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_TRUE(walk.count(row.pid));
    const auto& entry = walk.at(row.pid);
    EXPECT_EQ(entry.ParentProcessID, row.parent);
    EXPECT_EQ(entry.BasePriority, row.priority);
    EXPECT_EQ(entry.ExeName, row.name);
  }
}

TEST(ProcessWalk, FailsWithoutAProcRoot) {
  LinuxProcesses processes("/nonexistent/proc");
  const auto walk = processes.Walk();
  ASSERT_FALSE(walk);
  EXPECT_EQ(walk.error().reason.rfind("The processes cannot be listed", 0), 0u) << walk.error().reason;
}

TEST(ProcessCounters, ReadFaultsAndWorkingSetsOrFailWhenUnreadable) {
  struct Row {
    uint32_t pid;
    const char* what;
    bool readable;
    uint64_t faults, workingSet, peak;
  };
  const Row rows[] = {
      {1, "minor + major faults, VmRSS, VmHWM", true, 27986 + 0, 18492 * 1024ull, 19604 * 1024ull},
      {4200, "faults counted after the last ')'", true, 7 + 3, 1812 * 1024ull, 1812 * 1024ull},
      {2, "kernel thread: status without VmRSS", true, 0, 0, 0},
      {4201, "status missing", false, 0, 0, 0},
      {4400, "vanished", false, 0, 0, 0},
      {4600, "stat unreadable", false, 0, 0, 0},
  };
  FixtureRoot root;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ProcessCounters counters;
    ASSERT_EQ(ReadProcessCounters(root.fd(), row.pid, counters), row.readable);
    if (!row.readable) continue;
    EXPECT_EQ(counters.PageFaultCount, row.faults);
    EXPECT_EQ(counters.WorkingSetSize, row.workingSet);
    EXPECT_EQ(counters.PeakWorkingSetSize, row.peak);
  }
}

TEST(ProcessExePath, IsTheExeLinkOrEmpty) {
  FixtureRoot root;
  EXPECT_EQ(ReadExePath(root.fd(), 4100), "/usr/bin/sleep");
  EXPECT_EQ(ReadExePath(root.fd(), 4300), "/opt/" + kLongName);
  EXPECT_EQ(ReadExePath(root.fd(), 4901), "/usr/sbin/cron");  // replaced since it started
  EXPECT_EQ(ReadExePath(root.fd(), 2), "");     // kernel thread
  EXPECT_EQ(ReadExePath(root.fd(), 4400), "");  // gone
}

TEST(BasePriority, MapsPolicyAndNiceToTheWindowsClasses) {
  struct Row {
    uint32_t policy;
    int nice;
    int32_t priority;
  };
  const Row rows[] = {
      {0, -20, 13}, {0, -15, 13}, {0, -14, 10}, {0, -5, 10}, {0, -4, 8},  {0, 0, 8},   {0, 4, 8},
      {0, 5, 6},    {0, 14, 6},   {0, 15, 4},   {0, 19, 4},  {3, 0, 8},   {1, 0, 24},  {2, 19, 24},
      {6, 0, 24},   {5, -20, 4},
  };
  for (const auto& row : rows)
    EXPECT_EQ(BasePriorityOf(row.policy, row.nice), row.priority) << "policy " << row.policy << " nice " << row.nice;
}

TEST(ProcessStatParser, NeverShiftsFieldsOnHostileOrCutInput) {
  const std::string line =
      "4200 (x) R 1 (y z) S 4100 15077 4923 0 -1 4194304 7 0 3 0 5 2 0 0 20 -3 1 0 442272 2990080 410 "
      "18446744073709551615 1 1 0 0 0 0 0 6 0 1 0 0 17 0 0 0 0 0 0";
  ProcessStat full;
  ASSERT_TRUE(ParseProcessStat(line, full));
  EXPECT_EQ(full.pid, 4200u);
  EXPECT_EQ(full.comm, "x) R 1 (y z");
  EXPECT_EQ(full.ppid, 4100u);
  EXPECT_EQ(full.nice, -3);
  EXPECT_EQ(full.policy, 0u);
  EXPECT_EQ(full.userTicks + full.systemTicks, 7u);
  EXPECT_EQ(full.startTicks, 442272u);
  EXPECT_EQ(full.residentPages, 410u);

  // Every cut of the line either fails or gives the very same fields.
  for (size_t length = 0; length < line.size(); ++length) {
    ProcessStat cut;
    if (!ParseProcessStat(std::string_view(line).substr(0, length), cut)) continue;
    EXPECT_EQ(cut.ppid, full.ppid) << length;
    EXPECT_EQ(cut.minorFaults + cut.majorFaults, 10u) << length;
    EXPECT_EQ(cut.nice, full.nice) << length;
    EXPECT_EQ(cut.userTicks + cut.systemTicks, 7u) << length;
    EXPECT_EQ(cut.startTicks, full.startTicks) << length;
    EXPECT_EQ(cut.residentPages, full.residentPages) << length;
  }
  const char* malformed[] = {"", ")", "(", "12 )x( S 1", "abc (name) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17",
                             "5 (n) S x 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1"};
  for (const char* text : malformed) {
    ProcessStat stat;
    EXPECT_FALSE(ParseProcessStat(text, stat)) << text;
  }
}

TEST(StatmParser, TakesTheSecondFigureOrRefuses) {
  struct Row {
    const char* text;
    bool parsed;
    uint64_t pages;
  };
  const Row rows[] = {
      {"17082 4623 2150 1918 0 2484 0\n", true, 4623},
      {"0 0 0 0 0 0 0\n", true, 0},  // a zombie: no memory left
      {"17082", false, 0},
      {"17082 46x3 2150", false, 0},
      {"", false, 0},
  };
  for (const auto& row : rows) {
    uint64_t pages = 0;
    EXPECT_EQ(ParseStatmResidentPages(row.text, pages), row.parsed) << row.text;
    EXPECT_EQ(pages, row.pages) << row.text;
  }
}

TEST(KeyedLines, MeminfoStatusAndVmstatLinesReadByTheirKeyAlone) {
  const struct {
    const char* line;
    const char* key;
    bool read;
    uint64_t value;
  } rows[] = {
      {"MemTotal:       16301344 kB", "MemTotal", true, 16301344},
      {"VmRSS:\t    1024 kB", "VmRSS", true, 1024},
      {"pswpin 42", "pswpin", true, 42},
      {"workingset_refault_anon 7", "workingset_refault_anon", true, 7},
      {"MemTotalX: 5 kB", "MemTotal", false, 0},   // another key that begins the same
      {"workingset_refault_anon 7", "workingset_refault", false, 0},
      {"pswpin", "pswpin", false, 0},
      {"pswpin: kB", "pswpin", false, 0},
      {"SwapFree:", "SwapFree", false, 0},
  };
  for (const auto& row : rows) {
    uint64_t value = 0;
    EXPECT_EQ(KeyedNumber(row.line, row.key, value), row.read) << row.line;
    EXPECT_EQ(value, row.value) << row.line;
  }

  MeminfoFigures meminfo;
  TakeMeminfoLine("SwapCached:        2048 kB", meminfo);
  EXPECT_EQ(meminfo.swapCached, 2048u * 1024);
  VmstatRefaults vmstat;
  for (const char* line : {"workingset_refault_file 5", "pswpin 9", "pswpout 11"}) TakeVmstatLine(line, vmstat);
  EXPECT_EQ(vmstat.refaultFile, 5u);
  EXPECT_EQ(vmstat.swapIns, 9u);
  EXPECT_EQ(vmstat.refaultAnon, 0u);
}

TEST(ProcParsers, ArbitraryBytesNeverBreakTheirPromises) {
  // Hostile or damaged /proc text: every parser either refuses it or answers within it.
  uint64_t seed = 0x9e3779b97f4a7c15ull;
  auto next = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  const std::string alphabet = "0123456789abcdef ()-:\n\tcpuVmRSkBxrwp[]/";
  for (int round = 0; round < 20000; ++round) {
    std::string text(next() % 120, ' ');
    for (char& c : text) c = alphabet[next() % alphabet.size()];
    ProcessStat stat;
    if (ParseProcessStat(text, stat)) {
      EXPECT_GE(stat.comm.data(), text.data());
      EXPECT_LE(stat.comm.data() + stat.comm.size(), text.data() + text.size());
    }
    CpuTimes cpu;
    if (ParseCpuStatLine(text, cpu)) {
      EXPECT_LE(cpu.idle, cpu.total) << text;
    }
    ProcessStatusMemory memory;
    TakeStatusLine(text, memory);
    EXPECT_LE(memory.found, 1) << text;
    Mapping mapping;
    if (ParseMapsLine(text, mapping)) {
      EXPECT_LT(mapping.start, mapping.end) << text;
    }
  }
}

}  // namespace
}  // namespace nv
