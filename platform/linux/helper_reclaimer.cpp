#include "platform/linux/helper_reclaimer.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/linux/companion_binary.h"
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

// Runs the helper and reads its output to the end; its refusals come back as exit codes.
HelperRun RunHelper(const std::string& path, const std::vector<std::string>& args) {
  HelperRun run;
  CompanionChild child;
  if (!SpawnCompanion(path, args, child)) return run;
  char buffer[512];
  for (ssize_t got; (got = ::read(child.output, buffer, sizeof buffer)) != 0;) {
    if (got > 0) {
      run.output.append(buffer, static_cast<size_t>(got));
    } else if (errno != EINTR) {
      break;
    }
  }
  ::close(child.output);
  const int status = WaitCompanion(child.pid);
  run.exitCode = status >= 0 ? status : kKilled;
  return run;
}

}  // namespace

std::string FindReclaimHelper() { return FindCompanion(reclaim::kHelperName, NORVANE_RECLAIM_PATH); }

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
    return lead + ", and it is not installed (looked for " +
           CompanionPlacesText(reclaim::kHelperName, NORVANE_RECLAIM_PATH) +
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
