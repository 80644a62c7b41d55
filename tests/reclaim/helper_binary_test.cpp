// The real norvane-reclaim, installed as root would install it (a root-owned copy with
// cap_sys_nice alone, in a folder of root's), run by the user nobody beside processes of
// nobody's, of another user's (daemon) and of root's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/magic.h>
#include <pwd.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <vector>

#include "installed_copy.h"
#include "platform/child_process.h"
#include "platform/status_kilobytes.h"
#include "platform/temp_folder.h"
#include "platform/zram_swap.h"

namespace nv {
namespace {

using test::AsNobody;
using test::RunCommand;
using test::StatusKilobytes;

constexpr uint64_t kMappedBytes = uint64_t{64} << 20;
constexpr uint64_t kAnonymousBytes = uint64_t{64} << 20;
constexpr const char* kOtherUser = "daemon";

// A pid that names no process: a child's, after it has been waited for.
std::string GonePid() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return std::to_string(pid);
}

// The words that start a program as `user` (root: none), without supplementary groups.
std::vector<std::string> As(const std::string& user) {
  if (user == "root") return {};
  const passwd* entry = ::getpwnam(user.c_str());
  return {"/usr/bin/setpriv", "--reuid=" + std::to_string(entry->pw_uid), "--regid=" + std::to_string(entry->pw_gid),
          "--clear-groups"};
}

std::vector<std::string> Joined(std::vector<std::string> front, const std::vector<std::string>& back) {
  front.insert(front.end(), back.begin(), back.end());
  return front;
}

class InstalledHelper : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test::WhyNotAsNobodyWithCapabilities(); !why.empty()) GTEST_SKIP() << why;
    if (::getpwnam(kOtherUser) == nullptr) GTEST_SKIP() << "there is no user " << kOtherUser;
    helper_ = install_.Add(NORVANE_RECLAIM);
    testHelper_ = install_.Add(NV_HELPER);
  }

  void GiveCapability() { ASSERT_EQ(std::system(("setcap cap_sys_nice+ep " + helper_).c_str()), 0); }

  // The helper run by nobody with `args` (after `wrapper`, such as prlimit), standard error
  // joined to the output.
  test::CommandRun RunAsNobody(const std::string& args, const std::string& wrapper = "") {
    return RunCommand(AsNobody() + wrapper + helper_ + " " + args + " 2>&1");
  }

  // The test helper holding anonymous memory, started by `user`; ready when returned.
  std::unique_ptr<test::ChildProcess> AnonymousChild(const std::string& user, const std::string& program,
                                                     const std::vector<std::string>& extra = {}) {
    auto child = std::make_unique<test::ChildProcess>(
        Joined(Joined(As(user), {program, "anon", std::to_string(kAnonymousBytes)}), extra));
    EXPECT_EQ(child->ReadLine(), "ready") << user << " " << program;
    return child;
  }

  test::InstalledCopy install_;
  std::string helper_;
  std::string testHelper_;
};

// Nobody's child mapping 64 MiB of a file on disk, every page touched.
class InstalledHelperWithMappedChild : public InstalledHelper {
 protected:
  void SetUp() override {
    InstalledHelper::SetUp();
    if (IsSkipped()) return;
    struct statfs fs {};
    ASSERT_EQ(::statfs(scratch_.Path().c_str(), &fs), 0);
    if (fs.f_type == TMPFS_MAGIC) GTEST_SKIP() << "the mapped file must live on a disk: tmpfs pages go to swap only";
    ::chmod(scratch_.Path().c_str(), 0755);
    const std::string file = scratch_ / "mapped.bin";
    {
      std::ofstream out(file, std::ios::binary);
      const std::vector<char> chunk(1 << 20, 'n');
      for (uint64_t written = 0; written < kMappedBytes; written += chunk.size()) out.write(chunk.data(), chunk.size());
    }
    // Dirty page cache is not paged out: the file must be on disk first.
    ::sync();
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_EQ(::chown(file.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    child_ = std::make_unique<test::ChildProcess>(Joined(As("nobody"), {testHelper_, "map", file, std::to_string(kMappedBytes)}));
    ASSERT_EQ(child_->ReadLine(), "ready");
    before_ = StatusKilobytes(child_->pid(), "RssFile");
    ASSERT_GE(before_, kMappedBytes / 1024);
  }

  test::TempFolder scratch_;
  std::unique_ptr<test::ChildProcess> child_;
  uint64_t before_ = 0;
};

// One pass by nobody over five processes, each holding 64 MiB of anonymous memory with a swap
// device to take it: only the process that is wholly nobody's and that the kernel lets nobody
// read is paged out.
TEST_F(InstalledHelper, AUserPagesOutTheirOwnProcessesAndNoOneElses) {
  test::ZramSwap swap(uint64_t{512} << 20);
  if (!swap.on()) GTEST_SKIP() << swap.whyNot();
  GiveCapability();
  test::InstalledCopy setuidFolder;
  const std::string setuidProgram = setuidFolder.Add(NV_HELPER);
  ASSERT_EQ(::chmod(setuidProgram.c_str(), 04755), 0);

  struct Case {
    const char* what;
    std::unique_ptr<test::ChildProcess> child;
    bool pagedOut;
    uint64_t before = 0;
  } cases[] = {
      {"nobody's own", AnonymousChild("nobody", testHelper_), true},
      {"another user's", AnonymousChild(kOtherUser, testHelper_), false},
      {"root's", AnonymousChild("root", testHelper_), false},
      {"nobody's, set-uid root", AnonymousChild("nobody", setuidProgram), false},
      {"nobody's, undumpable", AnonymousChild("nobody", testHelper_, {"undumpable"}), false},
  };
  std::string pids;
  for (Case& c : cases) {
    c.before = StatusKilobytes(c.child->pid(), "RssAnon");
    ASSERT_GE(c.before, kAnonymousBytes / 1024) << c.what;
    pids += " " + std::to_string(c.child->pid());
  }
  const test::CommandRun run = RunAsNobody("pageout" + pids);
  ASSERT_EQ(run.exit, 0) << run.out;
  EXPECT_TRUE(std::regex_match(run.out, std::regex(
      "advised=1 skipped_gone=0 skipped_denied=4 skipped_other=0 paged_out_bytes=[0-9]+\n"))) << run.out;
  for (const Case& c : cases) {
    const uint64_t after = StatusKilobytes(c.child->pid(), "RssAnon");
    if (c.pagedOut)
      EXPECT_LE(after * 10, c.before) << c.what << ": RssAnon " << c.before << " kB -> " << after << " kB";
    else
      EXPECT_GE(after * 10, c.before * 9) << c.what << ": RssAnon " << c.before << " kB -> " << after << " kB";
  }
  // Whether a pid is another user's or names no process, the answer is the same.
  EXPECT_EQ(RunAsNobody("pageout " + std::to_string(cases[1].child->pid())).out, RunAsNobody("pageout " + GonePid()).out);
}

// Where /proc hides other users' processes (hidepid=2), the helper tells no more than /proc
// does: root's process, a kernel thread and a pid that names nothing get one answer.
TEST_F(InstalledHelper, UnderAProcThatHidesOtherUsersProcessesAHiddenPidAnswersAsAMissingOne) {
  if (std::system("command -v unshare >/dev/null") != 0) GTEST_SKIP() << "needs unshare";
  GiveCapability();
  const auto roots = AnonymousChild("root", testHelper_);
  // `command` as nobody, in a mount namespace of its own whose /proc hides other users' pids.
  const auto hidden = [](const std::string& command) {
    return RunCommand("unshare --mount --propagation private sh -c 'mount -t proc -o hidepid=2 proc /proc && exec " +
                      AsNobody() + command + "' 2>&1");
  };
  const std::string rootPid = std::to_string(roots->pid());
  const test::CommandRun seen = hidden("test -e /proc/" + rootPid);
  if (seen.exit != 1) GTEST_SKIP() << "a /proc with hidepid=2 could not be mounted: " << seen.out;

  const test::CommandRun gone = hidden(helper_ + " pageout " + GonePid());
  ASSERT_EQ(gone.exit, 0) << gone.out;
  EXPECT_EQ(hidden(helper_ + " pageout " + rootPid).out, gone.out);
  EXPECT_EQ(hidden(helper_ + " pageout 2").out, gone.out) << "kthreadd";
  EXPECT_GE(StatusKilobytes(roots->pid(), "RssAnon") * 10, kAnonymousBytes / 1024 * 9);
}

TEST_F(InstalledHelperWithMappedChild, WithoutItsCapabilityTheCliSaysWhatMendsItAndExitsThreeAndTheChildKeepsItsPages) {
  const test::CommandRun helper = RunAsNobody("pageout " + std::to_string(child_->pid()));
  EXPECT_EQ(helper.exit, 3);
  EXPECT_NE(helper.out.find("holds no capabilities"), std::string::npos) << helper.out;

  const std::string cli = install_.Add(NORVANE_CLI);
  const test::CommandRun run = RunCommand(AsNobody() + "env -i " + cli + " trim --all 2>&1 >/dev/null");
  EXPECT_EQ(run.exit, 3);
  EXPECT_EQ(run.out, "norvane-cli: Nothing was trimmed: trimming needs the helper norvane-reclaim, and " + helper_ +
                         " holds no capability. Give it with: sudo setcap cap_sys_nice+ep " + helper_ + "\n");
  EXPECT_GE(StatusKilobytes(child_->pid(), "RssFile") * 100, before_ * 99);
}

TEST_F(InstalledHelperWithMappedChild, WithItsCapabilityItPagesOutTheFilePagesOfTheUsersOwnProcess) {
  GiveCapability();
  const test::CommandRun run = RunAsNobody("pageout " + std::to_string(child_->pid()));
  ASSERT_EQ(run.exit, 0) << run.out;
  std::smatch figures;
  ASSERT_TRUE(std::regex_match(run.out, figures, std::regex(
      "advised=1 skipped_gone=0 skipped_denied=0 skipped_other=0 paged_out_bytes=([0-9]+)\n"))) << run.out;
  const uint64_t after = StatusKilobytes(child_->pid(), "RssFile");
  EXPECT_LE(after * 10, before_) << "RssFile " << before_ << " kB -> " << after << " kB";
  EXPECT_GE(std::stoull(figures[1]) * 10, kMappedBytes * 9) << run.out;
}

TEST_F(InstalledHelper, WithoutAHelperTheCliSaysItIsNotInstalledAndExitsThree) {
  if (std::filesystem::exists(NORVANE_RECLAIM_PATH)) GTEST_SKIP() << "a helper is installed at " NORVANE_RECLAIM_PATH;
  test::InstalledCopy alone;
  const std::string cli = alone.Add(NORVANE_CLI);
  const test::CommandRun run = RunCommand(AsNobody() + "env -i " + cli + " trim --all 2>&1 >/dev/null");
  EXPECT_EQ(run.exit, 3);
  EXPECT_EQ(run.out.rfind("norvane-cli: Nothing was trimmed: trimming needs the helper norvane-reclaim, "
                          "and it is not installed (looked for " + alone.Folder() + "/norvane-reclaim, " +
                          std::filesystem::path(alone.Folder()).parent_path().string() +
                          "/libexec/norvane/norvane-reclaim and " NORVANE_RECLAIM_PATH "). Install Norvane as root", 0), 0u)
      << run.out;
}

TEST_F(InstalledHelper, RefusesPidsThatAreNoneAndSkipsThoseNoPassMayTouch) {
  GiveCapability();
  for (const char* args : {"pageout", "pageout -5", "pageout abc", "pageout 12x", "pageout +12", "pageout 4194305",
                           "pageout 99999999999", "pageout ''", "cold all 12", "sleep 12", ""}) {
    const test::CommandRun run = RunAsNobody(args);
    EXPECT_EQ(run.exit, 2) << args << ": " << run.out;
    EXPECT_NE(run.out.find("usage: norvane-reclaim"), std::string::npos) << args;
  }
  // A pid that names no process is "not yours" to a user, like another user's.
  const test::CommandRun run = RunAsNobody("pageout 0 1 " + GonePid());
  EXPECT_EQ(run.exit, 0) << run.out;
  EXPECT_EQ(run.out, "advised=0 skipped_gone=0 skipped_denied=1 skipped_other=2 paged_out_bytes=0\n");
}

// Another user who holds every file the helper opens, or runs it as often as they like, stops
// no one's pass: there is no lock among the helpers of different users.
TEST_F(InstalledHelper, ALockHeldByAnotherUserStopsNoPassAndPassesFollowEachOther) {
  GiveCapability();
  std::vector<std::unique_ptr<test::ChildProcess>> holders;
  for (const std::string& held : {helper_, install_.Folder()}) {
    holders.push_back(std::make_unique<test::ChildProcess>(
        Joined(As(kOtherUser), {"/usr/bin/flock", "-o", held, "/bin/sh", "-c", "echo ready; exec cat"})));
    ASSERT_EQ(holders.back()->ReadLine(), "ready") << held;
  }
  const auto own = AnonymousChild("nobody", testHelper_);
  for (const char* advice : {"pageout ", "pageout ", "cold ", "cold "}) {
    const test::CommandRun run = RunAsNobody(advice + std::to_string(own->pid()));
    EXPECT_EQ(run.exit, 0) << advice << run.out;
    EXPECT_EQ(run.out.rfind("advised=1 ", 0), 0u) << advice << run.out;
  }
}

// Each refusal names its own reason: too few files allowed is not a pass that ran too soon.
TEST_F(InstalledHelper, TooFewOpenFilesIsRefusedWithThatReasonUnlessTheHardLimitAllowsMore) {
  GiveCapability();
  const auto own = AnonymousChild("nobody", testHelper_);
  const std::string pid = std::to_string(own->pid());
  // Only the standard three open, as the program starts the helper: the dynamic loader needs
  // one more for a moment, and then the helper itself decides.
  const std::string onlyStandardFiles = "sh -c 'exec 3<&- 4<&- 5<&- 6<&- 7<&- 8<&- 9<&- \"$0\" \"$@\"' ";
  const test::CommandRun refused = RunAsNobody("cold " + pid, onlyStandardFiles + "prlimit --nofile=4 ");
  EXPECT_EQ(refused.exit, 6) << refused.out;
  EXPECT_NE(refused.out.find("may have only 4 files open at once (RLIMIT_NOFILE)"), std::string::npos) << refused.out;
  const test::CommandRun raised = RunAsNobody("cold " + pid, onlyStandardFiles + "prlimit --nofile=4:64 ");
  EXPECT_EQ(raised.exit, 0) << raised.out;
  EXPECT_EQ(raised.out.rfind("advised=1 ", 0), 0u) << raised.out;
}

// The dynamic loader, Qt and the shell would each take files from these variables; a process
// with capabilities must take none.
TEST_F(InstalledHelper, OpensAndRunsNothingFromTheCallersEnvironment) {
  if (std::system("command -v strace >/dev/null") != 0) GTEST_SKIP() << "needs strace";
  GiveCapability();
  const auto own = AnonymousChild("nobody", testHelper_);
  test::TempFolder planted;
  ::chmod(planted.Path().c_str(), 0755);
  test::WriteText(planted / "libc.so.6", "not a library");
  const std::string log = planted / "trace";
  const std::string dir = planted.Path().string();
  const test::CommandRun run = RunCommand(
      "strace -f -qq -o " + log + " -e trace=open,openat,openat2,execve,execveat -E QT_PLUGIN_PATH=" + dir +
      " -E LD_PRELOAD=" + dir + "/libnorvane-planted.so -E LD_LIBRARY_PATH=" + dir + " -E PATH=" + dir +
      " -u nobody " + helper_ + " cold " + std::to_string(own->pid()));
  EXPECT_EQ(run.exit, 0) << run.out;
  EXPECT_EQ(run.out.rfind("advised=1 ", 0), 0u) << "the traced helper held its capability: " << run.out;
  const std::string trace = test::ReadText(log);
  EXPECT_NE(trace.find("openat("), std::string::npos) << "the trace shows the helper's own opens";
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.find(dir), std::string::npos) << line;
}

TEST_F(InstalledHelper, RefusesToRunWhereAnyoneButRootCouldChangeIt) {
  GiveCapability();
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
