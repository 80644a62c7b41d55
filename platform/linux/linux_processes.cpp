#include "platform/linux/linux_processes.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/meminfo.h"
#include "platform/linux/pidfd.h"
#include "platform/linux/proc_process_reader.h"
#include "platform/linux/process_advice.h"

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
      walked_(procFd_) {}

LinuxProcesses::~LinuxProcesses() {
  walked_.Release();
  if (procFd_ >= 0) ::close(procFd_);
}

bool LinuxProcesses::Walk(std::vector<ProcessWalkEntry>& out) {
  if (!walked_.Walk()) return false;
  out.reserve(out.size() + walked_.processes().size());
  for (const KeptProcess& process : walked_.processes()) out.push_back(process.record().entry);
  return true;
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

bool LinuxProcesses::Counters(const ProcessHandle& h, ProcessCounters& out) {
  if (!h.valid()) return false;
  const KeptProcess* walked = walked_.Find(h.pid);
  return walked != nullptr ? walked->Counters(out) : ReadProcessCounters(procFd_, h.pid, out);
}

bool LinuxProcesses::SwapCanTakePages() {
  MeminfoFigures figures;
  return ReadMeminfo(meminfo_, figures) && nv::SwapCanTakePages(figures);
}

void LinuxProcesses::TrimSelf() {
  if (!SelfTrimEnabled()) return;
  ::malloc_trim(0);
  if (!SwapCanTakePages()) return;
  CollectRanges(procFd_, "self/maps", SelfTrimPagesOut, true, ranges_);
  for (const iovec& range : ranges_) ::madvise(range.iov_base, range.iov_len, MADV_PAGEOUT);
}

void LinuxProcesses::Close(ProcessHandle& h) {
  if (h.native >= 0 && !walked_.TakeBack(h)) ::close(h.native);
  h = ProcessHandle{};
}

void LinuxProcesses::ReleaseKept() { walked_.Release(); }

}  // namespace nv
