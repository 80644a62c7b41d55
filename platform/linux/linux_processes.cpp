#include "platform/linux/linux_processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/meminfo.h"
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

// A snapshot holds one pidfd per process at once; a busy system has more processes than the
// usual soft limit of 1024 descriptors. The soft limit is doubled, not set to the hard one
// (often huge), because some code still walks every possible descriptor, e.g. before an exec.
bool RaiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return false;
  limit.rlim_cur = std::min(limit.rlim_max, std::max<rlim_t>(limit.rlim_cur * 2, 4096));
  return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

// Called directly: glibc 2.36 declares pidfd_open without C linkage for C++.
int PidfdOpen(uint32_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u)); }

int OpenPidfd(uint32_t pid) {
  int fd = PidfdOpen(pid);
  if (fd < 0 && errno == EMFILE && RaiseDescriptorLimit()) fd = PidfdOpen(pid);
  return fd;
}

}  // namespace

LinuxProcesses::LinuxProcesses(const std::string& procRoot)
    : procFd_(::open(procRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), meminfo_(procRoot + "/meminfo") {}

LinuxProcesses::~LinuxProcesses() {
  if (procFd_ >= 0) ::close(procFd_);
}

bool LinuxProcesses::Walk(std::vector<ProcessWalkEntry>& out) {
  walked_.clear();
  if (procFd_ < 0 || ::lseek(procFd_, 0, SEEK_SET) != 0) return false;
  alignas(dirent64) char entries[32768];
  bool listed = false;
  for (;;) {
    const ssize_t got = ::getdents64(procFd_, entries, sizeof entries);
    if (got <= 0) {
      listed = listed || got == 0;
      break;
    }
    listed = true;
    for (ssize_t offset = 0; offset < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(entries + offset);
      offset += entry->d_reclen;
      if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN) continue;
      ProcessWalkRecord record;
      if (ReadWalkRecord(procFd_, entry->d_name, record)) walked_.push_back(std::move(record));
    }
  }
  std::sort(walked_.begin(), walked_.end(),
            [](const auto& a, const auto& b) { return a.entry.ProcessID < b.entry.ProcessID; });
  out.reserve(out.size() + walked_.size());
  for (const auto& record : walked_) out.push_back(record.entry);
  return listed;
}

const ProcessWalkRecord* LinuxProcesses::WalkedRecord(uint32_t pid) const {
  const auto found = std::lower_bound(walked_.begin(), walked_.end(), pid,
                                      [](const auto& record, uint32_t wanted) { return record.entry.ProcessID < wanted; });
  return found != walked_.end() && found->entry.ProcessID == pid ? &*found : nullptr;
}

ProcessHandle LinuxProcesses::Open(uint32_t pid) {
  ProcessHandle handle;
  handle.pid = pid;
  const int fd = OpenPidfd(pid);
  if (fd < 0) return handle;
  const ProcessWalkRecord* walked = WalkedRecord(pid);
  // A kernel thread has no memory to trim, so the probe is spared.
  if ((walked == nullptr || !walked->kernelThread) && ::process_madvise(fd, nullptr, 0, MADV_PAGEOUT, 0) == 0) {
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
  const ProcessWalkRecord* walked = WalkedRecord(h.pid);
  return walked != nullptr ? walked->exePath : ReadExePath(procFd_, h.pid);
}

bool LinuxProcesses::Counters(const ProcessHandle& h, ProcessCounters& out) {
  if (!h.valid()) return false;
  const ProcessWalkRecord* walked = WalkedRecord(h.pid);
  if (walked == nullptr) return ReadProcessCounters(procFd_, h.pid, out);
  if (walked->kernelThread) {
    out = ProcessCounters{};
  } else if (!ReadWorkingSets(procFd_, h.pid, out)) {
    return false;
  }
  out.PageFaultCount = walked->pageFaults;
  return true;
}

bool LinuxProcesses::SwapCanTakePages() {
  MeminfoFigures figures;
  return ReadMeminfo(meminfo_, figures) && nv::SwapCanTakePages(figures);
}

void LinuxProcesses::Trim(const ProcessHandle& h) {
  if (h.access != ProcessAccess::Full || h.native < 0) return;
  AdviseProcess(procFd_, h.pid, h.native, MADV_PAGEOUT, SwapCanTakePages(), ranges_);
}

void LinuxProcesses::TrimSelf() {
  if (!SelfTrimEnabled()) return;
  ::malloc_trim(0);
  if (!SwapCanTakePages()) return;
  CollectRanges(procFd_, "self/maps", SelfTrimPagesOut, true, ranges_);
  for (const iovec& range : ranges_) ::madvise(range.iov_base, range.iov_len, MADV_PAGEOUT);
}

void LinuxProcesses::Close(ProcessHandle& h) {
  if (h.native >= 0) ::close(h.native);
  h = ProcessHandle{};
}

}  // namespace nv
