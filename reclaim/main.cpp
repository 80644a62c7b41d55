// norvane-reclaim: the only part of Norvane that ever holds capabilities. Its request is its
// command line, its answer one line of figures; see reclaim/request.h and
// platform/linux/reclaim_protocol.h.
#include <fcntl.h>
#include <limits.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/linux_processes.h"
#include "platform/linux/linux_reclaimer.h"
#include "platform/linux/reclaim_protocol.h"
#include "reclaim/pass_second.h"
#include "reclaim/request.h"
#include "reclaim/safe_location.h"
#include "reclaim/trim_capabilities.h"

namespace {

using namespace nv::reclaim;

int Refuse(int code, const std::string& why) {
  std::fprintf(stderr, "norvane-reclaim: %s\n", why.c_str());
  return code;
}

std::string OwnPath() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  return length > 0 && static_cast<size_t>(length) < sizeof path ? std::string(path, static_cast<size_t>(length)) : std::string();
}

bool AllProcesses(std::vector<uint32_t>& pids) {
  nv::LinuxProcesses processes;
  const auto walk = processes.Walk();
  if (!walk) return false;
  const auto self = static_cast<uint32_t>(::getpid());
  for (const auto& entry : *walk)
    if (entry.ProcessID != self) pids.push_back(entry.ProcessID);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // A process that holds capabilities takes nothing from its caller but the command line:
  // no environment (the dynamic loader already ignored its variables: the kernel marks a
  // start with file capabilities as secure), no open files beyond the standard three, and
  // no way for the caller to attach to it or read a core dump of it.
  ::clearenv();
  ::close_range(3, ~0u, 0);
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);

  const std::string ownPath = OwnPath();
  const int ownFile = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
  if (ownFile < 0) return Refuse(kUnsafeLocation, "refuses to run: its own file cannot be read");
  if (const std::string reason = UnsafeLocationReason(ownFile, ownPath); !reason.empty())
    return Refuse(kUnsafeLocation, "refuses to run: " + reason);

  Request request;
  if (const std::string error = ParseRequest(std::vector<std::string_view>(argv + 1, argv + argc), request); !error.empty())
    return Refuse(kUsage, error + "\nusage: " + kSynopsis);

  if (!KeepOnlyTrimCapabilities())
    return Refuse(kNoPrivilege, "holds no capabilities, so it may not trim other programs; give them to it with: "
                                "sudo setcap cap_sys_ptrace,cap_sys_nice+ep " + ownPath);

  const std::string folder = ownPath.substr(0, std::max<size_t>(ownPath.rfind('/'), 1));
  const int lockFd = request.advice == nv::ReclaimAdvice::PageOut
                         ? ownFile
                         : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  PassSecond second;
  if (lockFd < 0 || !second.Begin(lockFd))
    return Refuse(kTooSoon, std::string("a ") + AdviceWord(request.advice) + " pass ran less than a second ago");

  if (request.allProcesses && !AllProcesses(request.pids)) return Refuse(kFailed, "the processes cannot be listed");
  nv::LinuxReclaimer reclaimer;
  const nv::ReclaimOutcome outcome = reclaimer.Advise(request.pids, request.advice);
  const bool written = std::printf("%s\n", FormatResultLine(outcome).c_str()) > 0 && std::fflush(stdout) == 0;
  // The caller reads the output to its end: it ends here, not when the keeper of the second
  // first runs on a busy machine.
  ::close(STDOUT_FILENO);
  second.KeepRestOfSecond();
  return written ? kDone : kFailed;
}
