// norvane-reclaim: the only part of Norvane that ever holds a capability. Its request is its
// command line, its answer one line of figures, or on a refusal one line saying why; see
// reclaim/request.h and platform/linux/reclaim/reclaim_protocol.h.
#include <fcntl.h>
#include <limits.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/system/linux_processes.h"
#include "platform/linux/system/linux_reclaimer.h"
#include "platform/linux/reclaim/reclaim_protocol.h"
#include "reclaim/request.h"
#include "reclaim/safe_location.h"
#include "reclaim/trim_capabilities.h"

namespace {

using namespace nv::reclaim;

// Standard input, output and error, its own file, /proc, meminfo, one pidfd and one /proc file
// of the process being advised.
constexpr rlim_t kFilesNeeded = 8;

// The reason goes to standard error for a person, and to standard output for the program,
// which keeps the helper's standard error apart from its own.
int Refuse(int code, const std::string& why) {
  std::fprintf(stderr, "norvane-reclaim: %s\n", why.c_str());
  std::printf("%s\n", why.c_str());
  return code;
}

std::string OwnPath() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  return length > 0 && static_cast<size_t>(length) < sizeof path ? std::string(path, static_cast<size_t>(length)) : std::string();
}

// Empty when the pass may open the files it needs; otherwise why not. The soft limit the caller
// lowered is raised again as far as its hard limit allows.
std::string TooFewFilesReason() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return {};
  if (limit.rlim_cur < kFilesNeeded && limit.rlim_max >= kFilesNeeded) {
    limit.rlim_cur = kFilesNeeded;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
  if (limit.rlim_cur >= kFilesNeeded) return {};
  return "it may have only " + std::to_string(limit.rlim_max) + " files open at once (RLIMIT_NOFILE), and a pass needs " +
         std::to_string(kFilesNeeded);
}

std::string AllProcesses(std::vector<uint32_t>& pids) {
  nv::LinuxProcesses processes;
  const auto walk = processes.Walk();
  if (!walk) return "the processes cannot be listed: " + walk.error().reason;
  const auto self = static_cast<uint32_t>(::getpid());
  for (const auto& entry : *walk)
    if (entry.ProcessID != self) pids.push_back(entry.ProcessID);
  return {};
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

  if (const std::string reason = TooFewFilesReason(); !reason.empty())
    return Refuse(kFailed, "cannot run a pass: " + reason);
  const std::string ownPath = OwnPath();
  const int ownFile = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
  if (ownFile < 0) return Refuse(kUnsafeLocation, std::string("refuses to run: its own file cannot be read: ") + std::strerror(errno));
  if (const std::string reason = UnsafeLocationReason(ownFile, ownPath); !reason.empty())
    return Refuse(kUnsafeLocation, "refuses to run: " + reason);

  Request request;
  if (const std::string error = ParseRequest(std::vector<std::string_view>(argv + 1, argv + argc), request); !error.empty())
    return Refuse(kUsage, error + "\nusage: " + kSynopsis);

  // Root is an administrator's request (pkexec runs the helper so): every process. Anyone
  // else: their own processes only.
  const bool root = ::getuid() == 0 && ::geteuid() == 0;
  if (!KeepOnlyTrimCapabilities(root))
    return Refuse(kNoPrivilege, "holds no capabilities, so it may not trim programs; give it its capability with: "
                                "sudo setcap cap_sys_nice+ep " + ownPath);

  if (request.allProcesses)
    if (const std::string error = AllProcesses(request.pids); !error.empty()) return Refuse(kFailed, error);
  nv::LinuxReclaimer reclaimer("/proc", root ? std::nullopt : std::optional<uid_t>(::getuid()));
  if (!reclaimer.Ready()) return Refuse(kFailed, std::string("cannot open /proc: ") + std::strerror(errno));
  const nv::ReclaimOutcome outcome = reclaimer.Advise(request.pids, request.advice);
  const bool written = std::printf("%s\n", FormatResultLine(outcome).c_str()) > 0 && std::fflush(stdout) == 0;
  return written ? kDone : kFailed;
}
