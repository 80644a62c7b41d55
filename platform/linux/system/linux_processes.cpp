#include "platform/linux/system/linux_processes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/system/meminfo.h"
#include "platform/linux/system/pidfd.h"
#include "platform/linux/system/proc_process_reader.h"

namespace nv {

namespace {

bool SelfTrimEnabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("NORVANE_SELF_TRIM");
    return value == nullptr || std::strcmp(value, "0") != 0;
  }();
  return enabled;
}

}  // namespace

LinuxProcesses::LinuxProcesses(const std::string& procRoot)
    : procFd_(::open(procRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      meminfo_(procRoot + "/meminfo"),
      walked_(procFd_),
      self_(procRoot, procFd_) {}

LinuxProcesses::~LinuxProcesses() {
  walked_.Release();
  if (procFd_ >= 0) ::close(procFd_);
}

Result<std::vector<ProcessWalkEntry>> LinuxProcesses::Walk() {
  errno = 0;
  if (!walked_.Walk()) return FailureWithErrno("The processes cannot be listed");
  std::vector<ProcessWalkEntry> walk;
  walk.reserve(walked_.processes().size());
  for (const KeptProcess& process : walked_.processes()) walk.push_back(process.record().entry);
  return walk;
}

ProcessHandle LinuxProcesses::Open(uint32_t pid) {
  ProcessHandle handle = walked_.Lend(pid);
  if (handle.valid()) return handle;
  handle.pid = pid;
  const int fd = OpenPidfd(pid);
  if (fd < 0) return handle;
  const KeptProcess* walked = walked_.Find(pid);
  // A kernel thread has no memory to trim, so the probe is spared.
  if ((walked == nullptr || !walked->record().kernelThread) && ProbeTrimAccess(fd) == ProcessAccess::Full) {
    handle.access = ProcessAccess::Full;
  } else if (walked != nullptr || CanReadProcess(procFd_, pid)) {
    handle.access = ProcessAccess::QueryOnly;
  } else {
    ::close(fd);
    return handle;
  }
  handle.native = fd;
  return handle;
}

std::string LinuxProcesses::ModulePath(const ProcessHandle& h) {
  if (!h.valid()) return {};
  const KeptProcess* walked = walked_.Find(h.pid);
  return walked != nullptr ? walked->record().exePath : ReadExePath(procFd_, h.pid);
}

Result<ProcessCounters> LinuxProcesses::Counters(const ProcessHandle& h) {
  if (!h.valid()) return Failure{"Process " + std::to_string(h.pid) + " is not open"};
  const KeptProcess* walked = walked_.Find(h.pid);
  ProcessCounters counters;
  errno = 0;
  const bool read = walked != nullptr ? walked->Counters(counters) : ReadProcessCounters(procFd_, h.pid, counters);
  if (!read) return FailureWithErrno("The counters of process " + std::to_string(h.pid) + " cannot be read");
  return counters;
}

bool LinuxProcesses::SwapCanTakePages() {
  MeminfoFigures figures;
  return ReadMeminfo(meminfo_, figures) && nv::SwapCanTakePages(figures);
}

void LinuxProcesses::TrimSelf() {
  if (SelfTrimEnabled()) self_.Run([this] { return SwapCanTakePages(); });
}

void LinuxProcesses::Close(ProcessHandle& h) {
  if (h.native >= 0 && !walked_.TakeBack(h)) ::close(h.native);
  h = ProcessHandle{};
}

void LinuxProcesses::ReleaseKept() { walked_.Release(); }

}  // namespace nv
