#include "platform/linux/system/kept_process_table.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>

#include "platform/linux/system/pidfd.h"
#include "platform/linux/system/proc_process_reader.h"

namespace nv {

namespace {

constexpr rlim_t kDescriptorsPerProcess = 3;  // pidfd, stat, statm
// Left for the program's own files and sockets.
constexpr rlim_t kReservedDescriptors = 256;

// The pids of the numeric entries of /proc, ascending; false when it cannot be listed.
bool ListPids(int procFd, std::vector<uint32_t>& pids) {
  if (procFd < 0 || ::lseek(procFd, 0, SEEK_SET) != 0) return false;
  alignas(dirent64) char entries[32768];
  for (bool first = true;; first = false) {
    const ssize_t got = ::getdents64(procFd, entries, sizeof entries);
    if (got < 0 && first) return false;
    if (got <= 0) break;
    for (ssize_t offset = 0; offset < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(entries + offset);
      offset += entry->d_reclen;
      const std::string_view name(entry->d_name);
      uint32_t pid = 0;
      if ((entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN) && IsPidName(name) &&
          std::from_chars(name.data(), name.data() + name.size(), pid).ec == std::errc())
        pids.push_back(pid);
    }
  }
  std::sort(pids.begin(), pids.end());
  return true;
}

}  // namespace

KeptProcessTable::~KeptProcessTable() {
  processes_.clear();
  for (int fd : retired_) ::close(fd);
}

bool KeptProcessTable::Walk() {
  std::vector<uint32_t> pids;
  if (!ListPids(procFd_, pids)) return false;
  limit_ = DescriptorLimit();
  limitReached_ = false;
  std::vector<KeptProcess> found;
  found.reserve(pids.size());
  size_t known = 0;
  size_t unkept = 0;
  for (size_t i = 0; i < pids.size(); ++i) {
    const uint32_t pid = pids[i];
    while (known < processes_.size() && processes_[known].pid() < pid) Retire(processes_[known++]);
    if (known < processes_.size() && processes_[known].pid() == pid) {
      KeptProcess& process = processes_[known++];
      // A process read without keeping is read whole anyway, so it is opened again: it may
      // be kept now.
      if (process.pidfd() >= 0 && process.Refresh(procFd_)) {
        found.push_back(std::move(process));
        continue;
      }
      Retire(process);  // ended; the number may already belong to a new process
    }
    char name[16];
    const auto end = std::to_chars(name, name + sizeof name, pid).ptr;
    KeptProcess process;
    // Every process not kept needs a descriptor of its own while a snapshot holds its handle.
    const bool keep = RoomToKeep(unkept + (pids.size() - i - 1));
    if (!process.Open(procFd_, std::string_view(name, static_cast<size_t>(end - name)), keep)) continue;
    keptDescriptors_ += process.descriptors();
    unkept += process.pidfd() < 0 ? 1 : 0;
    found.push_back(std::move(process));
  }
  while (known < processes_.size()) Retire(processes_[known++]);
  processes_ = std::move(found);
  return true;
}

const KeptProcess* KeptProcessTable::Find(uint32_t pid) const {
  const auto it = std::lower_bound(processes_.begin(), processes_.end(), pid,
                                   [](const KeptProcess& process, uint32_t wanted) { return process.pid() < wanted; });
  return it != processes_.end() && it->pid() == pid ? &*it : nullptr;
}

ProcessHandle KeptProcessTable::Lend(uint32_t pid) {
  const KeptProcess* process = Find(pid);
  if (process == nullptr || process->pidfd() < 0) return {};
  ++lent_;
  return ProcessHandle{process->pidfd(), pid, process->access()};
}

bool KeptProcessTable::TakeBack(const ProcessHandle& h) {
  if (lent_ == 0 || h.native < 0) return false;
  const KeptProcess* process = Find(h.pid);
  const bool kept = process != nullptr && process->pidfd() == h.native;
  if (!kept && std::find(retired_.begin(), retired_.end(), h.native) == retired_.end()) return false;
  if (--lent_ == 0) {
    for (int fd : retired_) ::close(fd);
    retired_.clear();
  }
  return true;
}

void KeptProcessTable::Release() {
  for (KeptProcess& process : processes_) Retire(process);
  processes_.clear();
}

bool KeptProcessTable::RoomToKeep(size_t handlesOfOthers) {
  if (limitReached_) return false;
  const rlim_t wanted =
      static_cast<rlim_t>(descriptors()) + kDescriptorsPerProcess + handlesOfOthers + kReservedDescriptors;
  if (wanted <= limit_) return true;
  if (RaiseDescriptorLimit(wanted)) {
    limit_ = DescriptorLimit();
    return true;
  }
  limitReached_ = true;
  return false;
}

void KeptProcessTable::Retire(KeptProcess& process) {
  keptDescriptors_ -= process.descriptors();
  const int pidfd = process.TakePidfdAndClose();
  if (pidfd < 0) return;
  if (lent_ > 0)
    retired_.push_back(pidfd);
  else
    ::close(pidfd);
}

}  // namespace nv
