// The walk that keeps the files of known processes open between walks: figures as exact as
// reading everything afresh, and no descriptor left behind by processes that end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/sched.h>
#include <poll.h>
#include <signal.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "engine/process_list.h"
#include "platform/linux/system/linux_processes.h"
#include "status_kilobytes.h"

namespace nv {
namespace {

using test::ChildProcess;

uint64_t StatusBytes(pid_t pid, const std::string& key) { return test::StatusKilobytes(pid, key) * 1024; }

const TProcess* Entry(const TProcessList& list, pid_t pid) {
  for (const auto& process : list)
    if (process.ProcessID == static_cast<uint32_t>(pid)) return &process;
  return nullptr;
}

// A helper child that maps and unmaps anonymous memory on request.
class GrowingChild : public ChildProcess {
 public:
  GrowingChild() : ChildProcess({NV_HELPER, "grow"}) {
    EXPECT_EQ(ReadLine(), "ready");
    // A first answer settles it: reading its first line sets up its input buffer.
    Do({"-"});
  }
  void Do(const std::vector<std::string>& commands) {
    for (const auto& command : commands) {
      ASSERT_TRUE(WriteLine(command));
      ASSERT_EQ(ReadLine(), "done");
    }
  }
};

TEST(KeptProcesses, WorkingSetAndPeakEqualVmRssAndVmHwmAfterEachWalk) {
  struct Row {
    const char* what;
    std::vector<std::string> beforeFirstWalk, betweenWalks;
  };
  const Row rows[] = {
      {"grows between the walks and stays grown", {}, {"+64"}},
      // The resident set ends where it was (the first round touched every page the answer
      // needs), so only the page faults tell that the peak moved.
      {"reaches a new peak between the walks and leaves it again", {"+16", "-"}, {"+64", "-"}},
      {"shrinks below the peak seen at the first walk", {"+64"}, {"-"}},
      {"does nothing between the walks", {"+16"}, {}},
  };
  LinuxProcesses processes;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    GrowingChild child;
    child.Do(row.beforeFirstWalk);
    TProcessList list;
    for (int walk = 0; walk < 2; ++walk) {
      if (walk == 1) child.Do(row.betweenWalks);
      SnapshotProcesses(processes, list);
      const TProcess* entry = Entry(list, child.pid());
      ASSERT_NE(entry, nullptr);
      // The child waits on its input, so its figures stand still while they are compared.
      EXPECT_EQ(entry->PeakWorkingSetSize, StatusBytes(child.pid(), "VmHWM")) << "walk " << walk;
      EXPECT_EQ(entry->WorkingSetSize, StatusBytes(child.pid(), "VmRSS")) << "walk " << walk;
      CloseProcessHandles(list);
    }
  }
}

// Targets of this process's descriptors that belong to other processes: "/proc/PID/..." of
// a kept file, "pidfd PID" of a pidfd (-1 once its process has ended).
std::vector<std::string> ProcessDescriptors() {
  std::vector<std::string> found;
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
    if (target == "anon_inode:[pidfd]") {
      std::ifstream info("/proc/self/fdinfo/" + fd.path().filename().string());
      std::string line;
      while (std::getline(info, line))
        if (line.starts_with("Pid:")) found.push_back("pidfd " + line.substr(line.find_first_not_of(" \t", 4)));
    } else if (target.starts_with("/proc/") && target.find('/', 6) != std::string::npos) {
      found.push_back(target);
    }
  }
  return found;
}

bool Names(const std::vector<std::string>& descriptors, pid_t pid) {
  const std::string id = std::to_string(pid);
  for (const auto& d : descriptors)
    if (d == "pidfd " + id || d.starts_with("/proc/" + id + "/")) return true;
  return false;
}

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(KeptProcesses, EndedProcessesLeaveNoDescriptorAndLentHandlesStayValidUntilClosed) {
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (int i = 0; i < 20; ++i) children.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/cat"}));
  const auto before = ProcessDescriptors();
  {
    LinuxProcesses processes;
    ASSERT_TRUE(processes.Walk());
    const auto kept = ProcessDescriptors();
    for (const auto& child : children) EXPECT_TRUE(Names(kept, child->pid()));

    // A handle lent out while its process ends and a walk passes it by.
    ProcessHandle held = processes.Open(static_cast<uint32_t>(children[0]->pid()));
    ASSERT_TRUE(held.valid());
    const std::vector<pid_t> ended{children[0]->pid(), children[1]->pid()};
    children.erase(children.begin(), children.begin() + 2);
    ASSERT_TRUE(processes.Walk());
    const auto afterEnd = ProcessDescriptors();
    for (pid_t pid : ended) EXPECT_FALSE(Names(afterEnd, pid)) << pid;
    EXPECT_TRUE(IsOpen(held.native));
    const int heldFd = held.native;
    processes.Close(held);
    EXPECT_FALSE(IsOpen(heldFd));

    // A time without walks keeps nothing.
    processes.ReleaseKept();
    EXPECT_EQ(ProcessDescriptors(), before);
    ASSERT_TRUE(processes.Walk());
    EXPECT_TRUE(Names(ProcessDescriptors(), children[0]->pid()));
  }
  EXPECT_EQ(ProcessDescriptors(), before);
}

// Restores the descriptor limits, also on a failed assertion.
class SavedDescriptorLimit {
 public:
  SavedDescriptorLimit() { ::getrlimit(RLIMIT_NOFILE, &saved_); }
  ~SavedDescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_{};
};

// Runs `body` as the first process of a PID namespace of its own, with its own /proc, so that
// the processes it sees are its own children and no others; its failures fail the test.
void RunAloneInPidNamespace(const std::function<void()>& body) {
  const pid_t outer = ::fork();
  ASSERT_GE(outer, 0);
  if (outer == 0) {
    if (::unshare(CLONE_NEWPID | CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      ::_exit(3);
    const pid_t first = ::fork();
    if (first == 0) {
      if (::mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0) ::_exit(4);
      body();
      ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    if (first < 0 || ::waitpid(first, &status, 0) != first) ::_exit(5);
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 6);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(outer, &status, 0), outer);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the body failed; 3 to 6: the namespace could not be set up";
}

TEST(KeptProcesses, AHardLimitTooLowToKeepEveryProcessStillGivesEveryFigure) {
  if (::geteuid() != 0) GTEST_SKIP() << "a PID namespace of its own and a lowered hard descriptor limit need root";
  // Alone, the processes counted for the limit are the ones walked: no other program starting
  // or ending in between can leave room to keep them all.
  RunAloneInPidNamespace([] {
    std::vector<std::unique_ptr<GrowingChild>> children;
    for (int i = 0; i < 100; ++i) children.push_back(std::make_unique<GrowingChild>());
    SavedDescriptorLimit saved;
    const auto Count = [](const char* folder, bool onlyNumbers) {
      return static_cast<rlim_t>(std::count_if(
          std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator{}, [&](const auto& entry) {
            const std::string name = entry.path().filename().string();
            return !onlyNumbers || name.find_first_not_of("0123456789") == std::string::npos;
          }));
    };
    // Room for a handle of every process, the reserve of 256 for the program's own files, and
    // the keeping of about 30 processes.
    const rlim_t ownFiles = Count("/proc/self/fd", false);
    ASSERT_LT(ownFiles, 256u) << "the test's own files must fit the reserve, or they take the room meant for keeping";
    const rlim_t limit = Count("/proc", true) + 256 + 60;
    const rlimit low{limit, limit};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);

    LinuxProcesses processes;
    TProcessList list;
    for (int walk = 0; walk < 2; ++walk) {
      SnapshotProcesses(processes, list);
      for (const auto& child : children) {
        const TProcess* entry = Entry(list, child->pid());
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(entry->Handle.valid());
        EXPECT_EQ(entry->WorkingSetSize, StatusBytes(child->pid(), "VmRSS"));
        EXPECT_EQ(entry->PeakWorkingSetSize, StatusBytes(child->pid(), "VmHWM"));
      }
      CloseProcessHandles(list);
    }
    const auto kept = ProcessDescriptors();
    const auto keptChildren = std::count_if(children.begin(), children.end(),
                                            [&](const auto& child) { return Names(kept, child->pid()); });
    EXPECT_LT(keptChildren, static_cast<long>(children.size())) << "the limit was meant to be too low to keep all";
    // The reserve stays free for the rest of the program.
    const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    EXPECT_GE(probe, 0);
    if (probe >= 0) ::close(probe);
  });
}

// Starts `argv` with the process identifier `pid`, which must be free; -1 when it cannot.
pid_t SpawnWithPid(pid_t pid, const char* const argv[]) {
  clone_args args{};
  args.exit_signal = SIGCHLD;
  args.set_tid = reinterpret_cast<uint64_t>(&pid);
  args.set_tid_size = 1;
  const long child = ::syscall(SYS_clone3, &args, sizeof args);
  if (child == 0) {
    ::execv(argv[0], const_cast<char* const*>(argv));
    ::_exit(127);
  }
  return static_cast<pid_t>(child);
}

TEST(KeptProcesses, APidReusedBetweenWalksIsReadAsTheNewProcess) {
  if (::geteuid() != 0) GTEST_SKIP() << "choosing the pid of a new process needs root";
  LinuxProcesses processes;
  auto first = std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/cat"});
  const pid_t pid = first->pid();
  ASSERT_TRUE(processes.Walk());
  first.reset();  // ended and reaped: its number is free

  const char* const sleep[] = {"/bin/sleep", "30", nullptr};
  const pid_t second = SpawnWithPid(pid, sleep);
  if (second < 0) GTEST_SKIP() << "pid " << pid << " was taken by another process meanwhile";
  ASSERT_EQ(second, pid);
  // Until the exec has happened the new process is a copy of this one.
  for (int i = 0; i < 200 && std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe").filename() != "sleep"; ++i)
    ::usleep(10000);

  ASSERT_TRUE(processes.Walk());
  ProcessHandle handle = processes.Open(static_cast<uint32_t>(pid));
  EXPECT_EQ(std::filesystem::path(processes.ModulePath(handle)).filename(), "sleep");
  // The handle is a pidfd of the living process, not of the one that ended.
  pollfd exited{handle.native, POLLIN, 0};
  EXPECT_EQ(::poll(&exited, 1, 0), 0);
  processes.Close(handle);
  ::kill(second, SIGKILL);
  ::waitpid(second, nullptr, 0);
}

}  // namespace
}  // namespace nv
