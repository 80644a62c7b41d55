#include "platform/linux/helper_reclaimer.h"

#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/linux/reclaim_protocol.h"
#include "reclaim/helper_location.h"

namespace nv {

namespace {

constexpr int kSpawnFailed = -1;
constexpr int kKilled = -2;

struct HelperRun {
  int exitCode = kSpawnFailed;
  std::string output;
};

// Runs the helper with an empty environment, its input and errors on /dev/null (its refusals
// come back as exit codes) and its output on a pipe read to the end.
HelperRun RunHelper(const std::string& path, const std::vector<std::string>& args) {
  HelperRun run;
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return run;
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  char* noEnvironment[] = {nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), noEnvironment);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (spawned == 0) {
    char buffer[512];
    for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) != 0;) {
      if (got > 0) {
        run.output.append(buffer, static_cast<size_t>(got));
      } else if (errno != EINTR) {
        break;
      }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : kKilled;
  }
  ::close(out[0]);
  return run;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string BesideOwnBinary() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof path) return {};
  std::string beside(path, static_cast<size_t>(length));
  return beside.substr(0, beside.rfind('/') + 1) + reclaim::kHelperName;
}

}  // namespace

std::string FindReclaimHelper() {
  for (const std::string& candidate : {BesideOwnBinary(), std::string(NORVANE_RECLAIM_PATH)})
    if (!candidate.empty() && IsFile(candidate)) return candidate;
  return {};
}

HelperReclaimer::HelperReclaimer(std::string helperPath) : helperPath_(std::move(helperPath)) {}

ReclaimOutcome HelperReclaimer::Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) {
  ReclaimOutcome outcome;
  if (pids.empty()) return outcome;
  std::vector<std::string> args{reclaim::AdviceWord(advice)};
  for (const uint32_t pid : pids) args.push_back(std::to_string(pid));

  HelperRun run;
  if (!helperPath_.empty()) {
    run = RunHelper(helperPath_, args);
    for (int retry = 0; run.exitCode == reclaim::kTooSoon && retry < 5; ++retry) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      run = RunHelper(helperPath_, args);
    }
  }
  const std::string_view line = std::string_view(run.output).substr(0, run.output.find('\n'));
  if (run.exitCode == reclaim::kDone && run.output.size() == line.size() + 1 && reclaim::ParseResultLine(line, outcome))
    return outcome;
  outcome.privilegeMessage = PrivilegeMessage(run.exitCode);
  outcome.privilegeMissing = !outcome.privilegeMessage.empty();
  (outcome.privilegeMissing ? outcome.skippedDenied : outcome.skippedOther) = static_cast<uint32_t>(pids.size());
  return outcome;
}

std::string HelperReclaimer::PrivilegeMessage(int exitCode) const {
  const std::string lead = "Nothing was trimmed: trimming other programs needs the helper norvane-reclaim";
  if (helperPath_.empty() || exitCode == kSpawnFailed)
    return lead + ", and it is not installed (looked for " + BesideOwnBinary() + " and " NORVANE_RECLAIM_PATH
           "). Install Norvane as root, which gives the helper its capabilities: "
           "sudo cmake --install <build folder>, or install the norvane package.";
  if (exitCode == reclaim::kNoPrivilege)
    return lead + ", and " + helperPath_ + " holds no capabilities. Give them to it with: "
           "sudo setcap cap_sys_ptrace,cap_sys_nice+ep " + helperPath_;
  if (exitCode == reclaim::kUnsafeLocation)
    return lead + ", and " + helperPath_ + " refuses to run because it, or a folder above it, can be "
           "changed by a user other than root. Give them to root with: sudo chown root:root " + helperPath_ +
           " && sudo chmod go-w " + helperPath_ + " " + helperPath_.substr(0, helperPath_.rfind('/'));
  return {};
}

}  // namespace nv
