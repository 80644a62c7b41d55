#include "platform/linux/reclaim/helper_reclaimer.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "platform/linux/system/companion_binary.h"
#include "platform/linux/reclaim/reclaim_protocol.h"

namespace nv {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSpawnFailed = -1000;
constexpr int kPastDeadline = -1001;
// pkexec's own exit codes: the person dismissed the authentication dialog; not authorized, no
// agent to ask with, or pkexec could not run the program.
constexpr int kPkexecDismissed = 126;
constexpr int kPkexecNotAuthorized = 127;
// The helper's one line is far shorter; more is not its answer.
constexpr size_t kLongestAnswer = 4096;

// How often the wait for an answer stops for `whileWaiting`.
constexpr std::chrono::milliseconds kWaitSlice{40};

// Reads `fd` to its end, within `deadline`; false when the deadline passed first or the answer
// is too long to be the helper's.
bool ReadWithin(int fd, Clock::time_point deadline, const std::function<void()>& whileWaiting, std::string& text) {
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    if (whileWaiting) {
      whileWaiting();
      left = std::min(left, kWaitSlice);
    }
    pollfd ready{fd, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
    if (polled < 0 && errno != EINTR) return false;
    if (polled <= 0) continue;
    char buffer[512];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0 && errno != EINTR && errno != EAGAIN) return false;
    if (got > 0) text.append(buffer, static_cast<size_t>(got));
    if (text.size() > kLongestAnswer) return false;
  }
}

// A helper past its deadline is killed. Under pkexec it may run as root by then, out of this
// process's reach: it is then left to end by itself, and waited for apart, so that the caller
// goes on at once.
void StopLate(pid_t pid) {
  ::kill(pid, SIGKILL);
  std::thread([pid] { WaitCompanion(pid); }).detach();
}

// The first line of `text`, without control characters, as the helper's own words.
std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return line;
}

}  // namespace

struct HelperReclaimer::Run {
  int exitCode = kSpawnFailed;  // or minus the signal that ended it
  std::string output;
};

std::string FindReclaimHelper() { return FindCompanion(reclaim::kHelperName, NORVANE_RECLAIM_PATH); }

HelperReclaimer::HelperReclaimer(std::string helperPath, std::string pkexecPath, std::chrono::milliseconds deadline,
                                 std::chrono::milliseconds authorizationDeadline)
    : helperPath_(std::move(helperPath)),
      pkexecPath_(std::move(pkexecPath)),
      deadline_(deadline),
      authorizationDeadline_(authorizationDeadline) {}

HelperReclaimer::Run HelperReclaimer::RunProgram(const std::string& program, const std::vector<std::string>& args,
                                                 std::chrono::milliseconds deadline) const {
  Run run;
  CompanionChild child;
  if (!SpawnCompanion(program, args, child)) return run;
  const bool answered = ReadWithin(child.output, Clock::now() + deadline, whileWaiting_, run.output);
  ::close(child.output);
  if (!answered) {
    StopLate(child.pid);
    run.exitCode = kPastDeadline;
    return run;
  }
  run.exitCode = WaitCompanion(child.pid);
  return run;
}

ReclaimOutcome HelperReclaimer::Advise(const std::vector<uint32_t>& pids, ReclaimAdvice advice) {
  if (pids.empty()) return {};
  std::vector<std::string> args{reclaim::AdviceWord(advice)};
  for (const uint32_t pid : pids) args.push_back(std::to_string(pid));
  Run run;
  if (!helperPath_.empty()) run = RunProgram(helperPath_, args, deadline_);
  return OutcomeOf(run, pids.size());
}

ReclaimOutcome HelperReclaimer::AdviseMachineWide(const std::vector<uint32_t>& pids, ReclaimAdvice advice) {
  if (pids.empty() || helperPath_.empty()) return Advise(pids, advice);
  std::vector<std::string> args{helperPath_, reclaim::AdviceWord(advice)};
  for (const uint32_t pid : pids) args.push_back(std::to_string(pid));
  const Run run = RunProgram(pkexecPath_, args, authorizationDeadline_);
  std::string why;
  if (run.exitCode == kSpawnFailed)
    why = "pkexec, which asks polkit for an administrator's consent, could not be started (" + pkexecPath_ + ")";
  else if (run.exitCode == kPkexecDismissed)
    why = "the administrator's authentication was cancelled";
  else if (run.exitCode == kPkexecNotAuthorized)
    why = "polkit did not authorize it (refused, or no authentication agent is running)";
  if (why.empty()) return OutcomeOf(run, pids.size());
  ReclaimOutcome own = Advise(pids, advice);
  own.othersLeftAlone = "Other users' and system programs were left alone: " + why + ".";
  return own;
}

ReclaimOutcome HelperReclaimer::OutcomeOf(const Run& run, size_t pidCount) const {
  ReclaimOutcome outcome;
  const std::string_view line = std::string_view(run.output).substr(0, run.output.find('\n'));
  if (run.exitCode == reclaim::kDone && run.output.size() == line.size() + 1 && reclaim::ParseResultLine(line, outcome))
    return outcome;
  outcome.privilegeMessage = PrivilegeMessage(run.exitCode);
  outcome.privilegeMissing = !outcome.privilegeMessage.empty();
  (outcome.privilegeMissing ? outcome.skippedDenied : outcome.skippedOther) = static_cast<uint32_t>(pidCount);
  if (outcome.privilegeMissing) return outcome;
  const std::string lead = "Nothing was trimmed: the helper " + helperPath_;
  if (run.exitCode == kPastDeadline)
    outcome.failure = lead + " did not answer in time and was stopped.";
  else if (run.exitCode < 0)
    outcome.failure = lead + " ended with signal " + std::to_string(-run.exitCode) + ".";
  else if (run.exitCode == reclaim::kDone)
    outcome.failure = lead + " gave an answer that is not a result: " + FirstLine(run.output);
  else
    outcome.failure = lead + " refused (exit code " + std::to_string(run.exitCode) + ")" +
                      (run.output.empty() ? std::string(" without a reason.") : ": " + FirstLine(run.output));
  return outcome;
}

std::string HelperReclaimer::PrivilegeMessage(int exitCode) const {
  const std::string lead = "Nothing was trimmed: trimming needs the helper norvane-reclaim";
  if (helperPath_.empty() || exitCode == kSpawnFailed)
    return lead + ", and it is not installed (looked for " +
           CompanionPlacesText(reclaim::kHelperName, NORVANE_RECLAIM_PATH) +
           "). Install Norvane as root, which gives the helper its capability: "
           "sudo cmake --install <build folder>, or install the norvane package.";
  if (exitCode == reclaim::kNoPrivilege)
    return lead + ", and " + helperPath_ + " holds no capability. Give it with: "
           "sudo setcap cap_sys_nice+ep " + helperPath_;
  if (exitCode == reclaim::kUnsafeLocation)
    return lead + ", and " + helperPath_ + " refuses to run because it, or a folder above it, can be "
           "changed by a user other than root. Give them to root with: sudo chown root:root " + helperPath_ +
           " && sudo chmod go-w " + helperPath_ + " " + helperPath_.substr(0, helperPath_.rfind('/'));
  return {};
}

}  // namespace nv
