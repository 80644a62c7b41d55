// The real norvane-reclaim, installed as root would install it (a root-owned copy in a folder
// of root's), run by the user nobody on a child process of root's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <thread>
#include <vector>

#include "installed_copy.h"
#include "platform/child_process.h"
#include "platform/temp_folder.h"

namespace nv {
namespace {

using test::AsNobody;
using test::RunCommand;

constexpr uint64_t kMappedBytes = uint64_t{256} << 20;

uint64_t RssFileKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  uint64_t kilobytes = 0;
  while (status >> key) {
    if (key == "RssFile:" && status >> kilobytes) return kilobytes;
    status.ignore(1 << 20, '\n');
  }
  return 0;
}

// A pid that names no process: a child's, after it has been waited for.
std::string GonePid() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return std::to_string(pid);
}

class InstalledHelper : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::WhyNotAsNobodyWithCapabilities(); !why.empty()) GTEST_SKIP() << why;
    helper_ = install_.Add(NORVANE_RECLAIM);
  }

  void GiveCapabilities() {
    ASSERT_EQ(std::system(("setcap cap_sys_ptrace,cap_sys_nice+ep " + helper_).c_str()), 0);
  }

  // The helper run by nobody with `args`, standard error joined to the output.
  test::CommandRun RunAsNobody(const std::string& args) {
    return RunCommand(AsNobody() + helper_ + " " + args + " 2>&1");
  }

  test::InstalledCopy install_;
  std::string helper_;
};

// Root's child mapping 256 MiB of a file on disk, every page touched.
class InstalledHelperWithMappedChild : public InstalledHelper {
 protected:
  void SetUp() override {
    InstalledHelper::SetUp();
    if (IsSkipped()) return;
    struct statfs fs {};
    ASSERT_EQ(::statfs(scratch_.Path().c_str(), &fs), 0);
    if (fs.f_type == TMPFS_MAGIC) GTEST_SKIP() << "the mapped file must live on a disk: tmpfs pages go to swap only";
    const std::string file = scratch_ / "mapped.bin";
    {
      std::ofstream out(file, std::ios::binary);
      const std::vector<char> chunk(1 << 20, 'n');
      for (uint64_t written = 0; written < kMappedBytes; written += chunk.size()) out.write(chunk.data(), chunk.size());
    }
    // Dirty page cache is not paged out: the file must be on disk first. The kernel pages a
    // file's pages out only for a caller that owns the file or may write it (else page-out
    // would tell which pages of a file others use), so the process is root's, its file nobody's.
    ::sync();
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_EQ(::chown(file.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    child_ = std::make_unique<test::ChildProcess>(std::vector<std::string>{NV_HELPER, "map", file, std::to_string(kMappedBytes)});
    ASSERT_EQ(child_->ReadLine(), "ready");
    before_ = RssFileKilobytes(child_->pid());
    ASSERT_GE(before_, kMappedBytes / 1024);
  }

  test::TempFolder scratch_;
  std::unique_ptr<test::ChildProcess> child_;
  uint64_t before_ = 0;
};

TEST_F(InstalledHelperWithMappedChild, WithItsCapabilitiesItPagesOutRootsChildForNobody) {
  GiveCapabilities();
  const test::CommandRun run = RunAsNobody("pageout " + std::to_string(child_->pid()));
  ASSERT_EQ(run.exit, 0) << run.out;
  std::smatch figures;
  ASSERT_TRUE(std::regex_match(run.out, figures, std::regex(
      "advised=1 skipped_gone=0 skipped_denied=0 skipped_other=0 paged_out_bytes=([0-9]+)\n"))) << run.out;
  const uint64_t after = RssFileKilobytes(child_->pid());
  EXPECT_LE(after * 10, before_) << "RssFile " << before_ << " kB -> " << after << " kB";
  EXPECT_GE(std::stoull(figures[1]) * 10, kMappedBytes * 9) << run.out;
}

TEST_F(InstalledHelperWithMappedChild, WithoutCapabilitiesTheCliSaysWhatMendsItAndExitsThreeAndTheChildKeepsItsPages) {
  const test::CommandRun helper = RunAsNobody("pageout " + std::to_string(child_->pid()));
  EXPECT_EQ(helper.exit, 3);
  EXPECT_NE(helper.out.find("holds no capabilities"), std::string::npos) << helper.out;

  const std::string cli = install_.Add(NORVANE_CLI);
  const test::CommandRun run = RunCommand(AsNobody() + "env -i " + cli + " trim --all 2>&1 >/dev/null");
  EXPECT_EQ(run.exit, 3);
  EXPECT_EQ(run.out, "norvane-cli: Nothing was trimmed: trimming other programs needs the helper norvane-reclaim, and " +
                         helper_ + " holds no capabilities. Give them to it with: "
                         "sudo setcap cap_sys_ptrace,cap_sys_nice+ep " + helper_ + "\n");
  EXPECT_GE(RssFileKilobytes(child_->pid()) * 100, before_ * 99);
}

TEST_F(InstalledHelper, WithoutAHelperTheCliSaysItIsNotInstalledAndExitsThree) {
  if (std::filesystem::exists(NORVANE_RECLAIM_PATH)) GTEST_SKIP() << "a helper is installed at " NORVANE_RECLAIM_PATH;
  test::InstalledCopy alone;
  const std::string cli = alone.Add(NORVANE_CLI);
  const test::CommandRun run = RunCommand(AsNobody() + "env -i " + cli + " trim --all 2>&1 >/dev/null");
  EXPECT_EQ(run.exit, 3);
  EXPECT_EQ(run.out.rfind("norvane-cli: Nothing was trimmed: trimming other programs needs the helper norvane-reclaim, "
                          "and it is not installed (looked for " + alone.Folder() + "/norvane-reclaim, " +
                          std::filesystem::path(alone.Folder()).parent_path().string() +
                          "/libexec/norvane/norvane-reclaim and " NORVANE_RECLAIM_PATH "). Install Norvane as root", 0), 0u)
      << run.out;
}

TEST_F(InstalledHelper, RefusesPidsThatAreNoneAndSkipsThoseNoPassMayTouch) {
  GiveCapabilities();
  for (const char* args : {"pageout", "pageout -5", "pageout abc", "pageout 12x", "pageout +12", "pageout 4194305",
                           "pageout 99999999999", "pageout ''", "cold all 12", "sleep 12", ""}) {
    const test::CommandRun run = RunAsNobody(args);
    EXPECT_EQ(run.exit, 2) << args << ": " << run.out;
    EXPECT_NE(run.out.find("usage: norvane-reclaim"), std::string::npos) << args;
  }
  const test::CommandRun run = RunAsNobody("pageout 0 1 " + GonePid());
  EXPECT_EQ(run.exit, 0) << run.out;
  EXPECT_EQ(run.out, "advised=0 skipped_gone=1 skipped_denied=0 skipped_other=2 paged_out_bytes=0\n");
}

TEST_F(InstalledHelper, MakesAtMostOnePassOfEachAdviceASecond) {
  GiveCapabilities();
  const std::string self = std::to_string(::getpid());
  ASSERT_EQ(RunAsNobody("pageout " + self).exit, 0);
  const test::CommandRun again = RunAsNobody("pageout " + self);
  EXPECT_EQ(again.exit, 5);
  EXPECT_NE(again.out.find("less than a second ago"), std::string::npos) << again.out;
  EXPECT_EQ(RunAsNobody("cold " + self).exit, 0) << "the cold advice keeps a second of its own";
  EXPECT_EQ(RunAsNobody("cold " + self).exit, 5);
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  EXPECT_EQ(RunAsNobody("pageout " + self).exit, 0);
}

// The dynamic loader, Qt and the shell would each take files from these variables; a process
// with capabilities must take none.
TEST_F(InstalledHelper, OpensAndRunsNothingFromTheCallersEnvironment) {
  if (std::system("command -v strace >/dev/null") != 0) GTEST_SKIP() << "needs strace";
  GiveCapabilities();
  test::TempFolder planted;
  ::chmod(planted.Path().c_str(), 0755);
  test::WriteText(planted / "libc.so.6", "not a library");
  const std::string log = planted / "trace";
  const std::string dir = planted.Path().string();
  const test::CommandRun run = RunCommand(
      "strace -f -qq -o " + log + " -e trace=open,openat,openat2,execve,execveat -E QT_PLUGIN_PATH=" + dir +
      " -E LD_PRELOAD=" + dir + "/libnorvane-planted.so -E LD_LIBRARY_PATH=" + dir + " -E PATH=" + dir +
      " -u nobody " + helper_ + " pageout " + std::to_string(::getpid()));
  EXPECT_EQ(run.exit, 0) << run.out;
  EXPECT_EQ(run.out.rfind("advised=1 ", 0), 0u) << "the traced helper held its capabilities: " << run.out;
  const std::string trace = test::ReadText(log);
  EXPECT_NE(trace.find("openat("), std::string::npos) << "the trace shows the helper's own opens";
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.find(dir), std::string::npos) << line;
}

TEST_F(InstalledHelper, RefusesToRunWhereAnyoneButRootCouldChangeIt) {
  GiveCapabilities();
  struct Case {
    const char* what;
    const char* change;  // a shell command on FILE and FOLDER
    const char* named;   // what the refusal names
  } const cases[] = {
      {"folder writable by all", "chmod 0777 FOLDER", "the folder FOLDER"},
      {"folder of nobody's", "chown nobody FOLDER", "the folder FOLDER"},
      {"file of nobody's", "chown nobody FILE", "FILE can be changed"},
  };
  auto fill = [&](std::string text) {
    for (const auto& [name, value] : {std::pair{std::string("FOLDER"), install_.Folder()}, {std::string("FILE"), helper_}})
      for (size_t at; (at = text.find(name)) != std::string::npos;) text.replace(at, name.size(), value);
    return text;
  };
  const std::string self = std::to_string(::getpid());
  ASSERT_EQ(RunAsNobody("cold " + self).exit, 0) << "the copy as installed runs";
  for (const Case& c : cases) {
    ASSERT_EQ(std::system(fill(c.change).c_str()), 0) << c.what;
    const test::CommandRun run = RunAsNobody("pageout " + self);
    EXPECT_EQ(run.exit, 4) << c.what << ": " << run.out;
    EXPECT_NE(run.out.find("refuses to run: " + fill(c.named)), std::string::npos) << c.what << ": " << run.out;
    ASSERT_EQ(std::system(fill("chown root FILE FOLDER && chmod 0755 FILE FOLDER").c_str()), 0);
  }
}

}  // namespace
}  // namespace nv
