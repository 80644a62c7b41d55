#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/memory_units.h"
#include "scratch_memory_cgroup.h"

extern char** environ;

namespace {

struct Outcome {
  int exitCode = -1;
  int signal = 0;  // the signal that ended the process, if one did
  pid_t pid = 0;
  std::string out, err;
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
  close(fd);
  return text;
}

// `stdoutFile`, when given, receives the standard output instead of the pipe; `launcher`, when
// given, is a command that runs the CLI (its words come first, the CLI's after them).
Outcome RunCli(std::vector<std::string> args, const char* stdoutFile = nullptr,
               const std::vector<std::string>& launcher = {}) {
  args.insert(args.begin(), NORVANE_CLI);
  args.insert(args.begin(), launcher.begin(), launcher.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int outPipe[2], errPipe[2];
  EXPECT_EQ(pipe(outPipe), 0);
  EXPECT_EQ(pipe(errPipe), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFile)
    posix_spawn_file_actions_addopen(&actions, 1, stdoutFile, O_WRONLY, 0);
  else
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  posix_spawn_file_actions_addclose(&actions, outPipe[0]);
  posix_spawn_file_actions_addclose(&actions, errPipe[0]);
  Outcome o;
  EXPECT_EQ(posix_spawn(&o.pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);
  o.out = ReadAll(outPipe[0]);  // the outputs are small: reading one pipe after the other cannot block
  o.err = ReadAll(errPipe[0]);
  int status = 0;
  EXPECT_EQ(waitpid(o.pid, &status, 0), o.pid);
  o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  o.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return o;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t begin = 0;
  for (size_t tab; (tab = line.find('\t', begin)) != std::string::npos; begin = tab + 1)
    fields.push_back(line.substr(begin, tab - begin));
  fields.push_back(line.substr(begin));
  return fields;
}

TEST(NorvaneCli, StatusPrintsTextsFiguresAndCpuUsage) {
  const Outcome o = RunCli({"status"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.err, "");
  const auto lines = o.Lines();
  ASSERT_EQ(lines.size(), 9u) << o.out;

  const char* names[] = {"TotalPhys", "AvailPhys", "TotalPageFile", "AvailPageFile", "TotalVirtual", "AvailVirtual"};
  nv::MemoryStatusEx s;
  uint64_t* figures[] = {&s.ullTotalPhys,     &s.ullAvailPhys,    &s.ullTotalPageFile,
                         &s.ullAvailPageFile, &s.ullTotalVirtual, &s.ullAvailVirtual};
  for (int i = 0; i < 6; ++i) {
    std::smatch m;
    const std::string& line = lines[static_cast<size_t>(2 + i)];
    ASSERT_TRUE(std::regex_match(line, m, std::regex(std::string(names[i]) + " (\\d+)"))) << line;
    *figures[i] = std::stoull(m[1]);
  }
  EXPECT_GT(s.ullTotalPhys, 0u);
  EXPECT_LE(s.ullAvailPhys, s.ullTotalPhys);
  EXPECT_GE(s.ullTotalPageFile, s.ullTotalPhys);
  EXPECT_LE(s.ullAvailVirtual, s.ullTotalVirtual);

  // The two texts come from the same snapshot as the figures.
  EXPECT_EQ(lines[0], "PM:" + std::to_string(nv::KilobytesDown(s.ullAvailPhys)) + "K/" +
                          std::to_string(nv::KilobytesDown(s.ullTotalPhys)) + "K PF:" +
                          std::to_string(nv::KilobytesDown(s.ullAvailPageFile)) + "K/" +
                          std::to_string(nv::KilobytesDown(s.ullTotalPageFile)) + "K ");
  EXPECT_EQ(lines[1], std::to_string(nv::MegabytesDown(s.ullAvailPhys)) + " MB free of " +
                          std::to_string(nv::MegabytesDown(s.ullTotalPhys)) + " MB physical memory");

  std::smatch cpu;
  ASSERT_TRUE(std::regex_match(lines[8], cpu, std::regex("CpuUsage (\\d+)"))) << lines[8];
  EXPECT_LE(std::stoi(cpu[1]), 100);
}

TEST(NorvaneCli, StatusFailsWithAMessageWhenMeminfoCannotBeRead) {
  if (geteuid() != 0) GTEST_SKIP() << "hiding /proc/meminfo in a mount namespace of its own needs root";
  // An empty file over /proc/meminfo, seen by the CLI alone.
  const Outcome o = RunCli({"status"}, nullptr,
                           {"/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/sh", "-c",
                            "mount --bind /dev/null /proc/meminfo && exec \"$@\"", "sh"});
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err,
            "norvane-cli status: the memory status cannot be read (Cannot read the memory figures of /proc/meminfo)\n");
}

TEST(NorvaneCli, ProcessesListsCaptionsThenEveryProcessIncludingItself) {
  const Outcome o = RunCli({"processes"});
  ASSERT_EQ(o.exitCode, 0) << o.err;
  const auto lines = o.Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Process name\tPID\tMem usage\tPeak mem usage\tPage error\tBase Priority\tParentPID\tExe file name");

  const std::regex kilobytes("\\d+ K");
  bool foundSelf = false, foundInit = false;
  for (size_t i = 1; i < lines.size(); ++i) {
    const auto f = Fields(lines[i]);
    ASSERT_EQ(f.size(), 8u) << lines[i];
    EXPECT_TRUE(std::regex_match(f[1], std::regex("\\d+"))) << lines[i];
    EXPECT_TRUE(std::regex_match(f[2], kilobytes)) << lines[i];
    EXPECT_TRUE(std::regex_match(f[3], kilobytes)) << lines[i];
    EXPECT_TRUE(std::regex_match(f[6], std::regex("\\d+"))) << lines[i];
    if (f[1] == std::to_string(o.pid)) {
      foundSelf = true;
      EXPECT_EQ(f[0], "norvane-cli");
      EXPECT_EQ(f[6], std::to_string(getpid())) << "its parent is this test";
      EXPECT_EQ(f[7], NORVANE_CLI) << "an absolute path keeps its full form";
      EXPECT_NE(f[2], "0 K") << "its own counters are readable";
    }
    if (f[1] == "1") foundInit = true;
  }
  EXPECT_TRUE(foundSelf);
  EXPECT_TRUE(foundInit);
}

TEST(NorvaneCli, TrimPrintsTheThreeReportLinesAndWhatThePassDid) {
  const Outcome o = RunCli({"trim", "--idle-age", "1"});
  // Without root, the user's own processes are trimmed by the installed helper; where there is none,
  // the command says so and exits 3 after its report.
  if (::geteuid() != 0 && o.exitCode == 3) {
    EXPECT_EQ(o.err.rfind("norvane-cli: Nothing was trimmed: trimming needs the helper norvane-reclaim", 0), 0u) << o.err;
  } else {
    ASSERT_EQ(o.exitCode, 0) << o.err;
  }
  const auto lines = o.Lines();
  ASSERT_EQ(lines.size(), 5u) << o.out;
  EXPECT_TRUE(std::regex_match(lines[3], std::regex("Last pass: \\d+ MB paged out( \\(\\d+ MB to swap, still cached\\))?, "
                                                    "\\d+ MB (more|less) available, \\d+ MB came back"
                                                    "(; swap nearly full \\(\\d+ MB free\\): nothing went to swap)?")))
      << lines[3];
  std::smatch counts;
  ASSERT_TRUE(std::regex_match(lines[4], counts, std::regex("Processes: (\\d+) paged out, (\\d+) advised cold, (\\d+) ended, "
                                                            "(\\d+) not permitted, (\\d+) passed over")))
      << lines[4];
  long long listed = 0;
  for (size_t i = 1; i < counts.size(); ++i) listed += std::stoll(counts[i]);
  EXPECT_GE(listed, 2) << "every process of the walk is counted, this test and the command among them";
  std::smatch before, after, released;
  ASSERT_TRUE(std::regex_match(lines[0], before, std::regex("Available physical memory before optimizing:(\\d+) MB")));
  ASSERT_TRUE(std::regex_match(lines[1], after, std::regex("Available physical memory after optimizing:(\\d+) MB")));
  ASSERT_TRUE(std::regex_match(lines[2], released, std::regex("Released physical memory after optimizing:(\\d+) MB")));
  const long long gained = std::stoll(after[1]) - std::stoll(before[1]);
  // Released is taken from the byte counts, so it may be one below the difference of the megabytes.
  EXPECT_GE(std::stoll(released[1]), std::max(0LL, gained - 1));
  EXPECT_LE(std::stoll(released[1]), std::max(0LL, gained));
}

TEST(NorvaneCli, WrongCommandsAndArgumentsGiveOneUsageLineAndExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"bogus"}, {"STATUS"}, {"status", "now"}, {"processes", "-a"}, {"trim", "all"}};
  for (const auto& args : cases) {
    const Outcome o = RunCli(args);
    EXPECT_EQ(o.exitCode, 2) << testing::PrintToString(args);
    EXPECT_EQ(o.out, "");
    EXPECT_TRUE(std::regex_match(o.err, std::regex("usage: norvane-cli [^\n]+\n(norvane-cli --help lists the commands\\.\n)?")))
        << o.err;
  }
}

TEST(NorvaneCli, HelpListsEveryCommandOnStandardOutputAndExitsZero) {
  const char* const commands[] = {"status", "processes", "trim", "optimize", "reg query", "reg add", "reg delete"};
  for (const char* option : {"--help", "-h", "help"}) {
    const Outcome o = RunCli({option});
    EXPECT_EQ(o.exitCode, 0) << option;
    EXPECT_EQ(o.err, "") << option;
    for (const char* command : commands) EXPECT_NE(o.out.find("\n  " + std::string(command) + " "), std::string::npos) << option << ": " << command;
    EXPECT_NE(o.out.find("--version"), std::string::npos) << option;
  }
  // One command's help, asked either way, names that command's usage and no other.
  for (const auto& args : std::vector<std::vector<std::string>>{{"help", "trim"}, {"trim", "--help"}, {"trim", "-h"}}) {
    const Outcome o = RunCli(args);
    EXPECT_EQ(o.exitCode, 0) << testing::PrintToString(args);
    EXPECT_EQ(o.out.rfind("usage: norvane-cli trim [--all]", 0), 0u) << o.out;
    EXPECT_EQ(o.out.find("optimize"), std::string::npos) << o.out;
  }
  const Outcome reg = RunCli({"help", "reg"});
  EXPECT_EQ(reg.exitCode, 0);
  EXPECT_NE(reg.out.find("\n       norvane-cli reg delete KEY [VALUE]\n"), std::string::npos) << reg.out;
  for (const auto& args : std::vector<std::vector<std::string>>{{"help", "bogus"}, {"help", "trim", "now"}, {"--help", "x"}}) {
    const Outcome o = RunCli(args);
    EXPECT_EQ(o.exitCode, 2) << testing::PrintToString(args);
    EXPECT_EQ(o.out, "");
  }
}

TEST(NorvaneCli, VersionIsTheProjectVersion) {
  const Outcome o = RunCli({"--version"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, "norvane-cli (Velqor Norvane) " NORVANE_VERSION "\n");
  EXPECT_EQ(o.err, "");
}

TEST(NorvaneCli, OutputThatCannotBeWrittenIsAFailure) {
  const Outcome o = RunCli({"processes"}, "/dev/full");
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.err, "norvane-cli processes: the output could not be written\n");
}

TEST(NorvaneCli, OptimizeInsideA512MiBMemoryCgroupStaysWithinItsLimit) {
  nv::test::ScratchMemoryCgroup cgroup(uint64_t{512} << 20);
  if (!cgroup.unavailable.empty()) GTEST_SKIP() << cgroup.unavailable;
  // The shell joins the cgroup, then becomes the CLI.
  const Outcome o = RunCli({"optimize", "1"}, nullptr,
                           {"/bin/sh", "-c", "echo $$ > \"$0\" && exec \"$@\"", cgroup.ProcsFile()});
  EXPECT_EQ(o.signal, 0) << "killed in a v" << cgroup.Version() << " memory cgroup";
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(cgroup.OomKills(), std::optional<uint64_t>(0));
  // Two lines more while the machine has swap: what went to it, and what is left.
  const auto lines = o.Lines();
  ASSERT_TRUE(lines.size() == 3u || lines.size() == 5u) << o.out;
  if (lines.size() == 5u) {
    EXPECT_EQ(lines[3].rfind("Written to swap while optimizing:", 0), 0u) << o.out;
  }
}

}  // namespace
