#include "platform/linux/system/kept_process.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <utility>

#include "platform/linux/system/pidfd.h"
#include "platform/linux/system/proc_file.h"
#include "platform/linux/system/proc_stat_parser.h"

namespace nv {

namespace {

const uint64_t kPageBytes = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));

int OpenEntryFile(int procFd, std::string_view pidName, std::string_view leaf) {
  return ::openat(procFd, EntryPath(pidName, leaf).text, O_RDONLY | O_CLOEXEC | O_NOCTTY);
}

void CloseDescriptor(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

KeptProcess::~KeptProcess() { Close(); }

KeptProcess::KeptProcess(KeptProcess&& other) noexcept { *this = std::move(other); }

KeptProcess& KeptProcess::operator=(KeptProcess&& other) noexcept {
  if (this == &other) return *this;
  Close();
  std::copy(std::begin(other.pidName_), std::end(other.pidName_), pidName_);
  pidfd_ = std::exchange(other.pidfd_, -1);
  statFd_ = std::exchange(other.statFd_, -1);
  statmFd_ = std::exchange(other.statmFd_, -1);
  record_ = std::move(other.record_);
  comm_ = std::move(other.comm_);
  counters_ = other.counters_;
  countersRead_ = other.countersRead_;
  faultsAtStatus_ = other.faultsAtStatus_;
  residentAtStatus_ = other.residentAtStatus_;
  access_ = other.access_;
  return *this;
}

bool KeptProcess::Open(int procFd, std::string_view pidName, bool keep) {
  Close();
  uint32_t pid = 0;
  if (!IsPidName(pidName) ||
      std::from_chars(pidName.data(), pidName.data() + pidName.size(), pid).ec != std::errc())
    return false;
  pidName.copy(pidName_, pidName.size());
  pidName_[pidName.size()] = '\0';
  if (keep) {
    pidfd_ = OpenPidfd(pid);
    if (pidfd_ >= 0) statFd_ = OpenEntryFile(procFd, pidName_, "stat");
    if (statFd_ < 0) Close();  // read by path instead
  }
  if (Read(procFd, true)) return true;
  Close();
  return false;
}

bool KeptProcess::Refresh(int procFd) { return Read(procFd, false); }

bool KeptProcess::Read(int procFd, bool fresh) {
  char stat[kStatBuffer];
  // stat and statm are rendered whole on the first read, so a short read is their end.
  const ssize_t length =
      statFd_ >= 0 ? ReadOpenFile(statFd_, stat, sizeof stat, ProcFileEnd::ShortRead)
                   : ReadFileAt(procFd, EntryPath(pidName_, "stat").text, stat, sizeof stat, ProcFileEnd::ShortRead);
  if (length <= 0) return false;
  const uint64_t faultsBefore = record_.pageFaults;
  std::string_view comm;
  if (!TakeWalkStat(stat, record_, comm)) return false;

  bool readByPath = false;
  if (fresh || statFd_ < 0 || record_.pageFaults != faultsBefore || comm != comm_) {
    comm_.assign(comm);
    ReadProcessName(procFd, pidName_, comm, record_);
    readByPath = !record_.kernelThread;
    // A kernel thread has no memory to trim, so the probe is spared.
    if (pidfd_ >= 0) access_ = record_.kernelThread ? ProcessAccess::QueryOnly : ProbeTrimAccess(pidfd_);
  }
  if (fresh && statFd_ >= 0 && !record_.kernelThread) statmFd_ = OpenEntryFile(procFd, pidName_, "statm");
  if (!ReadMemory(procFd, fresh, readByPath)) return false;
  // What was read by number belongs to this process only while the number is still its own.
  return !readByPath || pidfd_ < 0 || PidfdProcessExists(pidfd_);
}

bool KeptProcess::ReadMemory(int procFd, bool fresh, bool& readByPath) {
  const uint64_t faults = record_.pageFaults;
  if (record_.kernelThread) {
    counters_ = ProcessCounters{faults, 0, 0};
    countersRead_ = true;
    return true;
  }
  uint64_t resident = 0;
  bool residentKnown = false;
  if (statmFd_ >= 0) {
    char statm[128];
    uint64_t pages = 0;
    if (ReadOpenFile(statmFd_, statm, sizeof statm, ProcFileEnd::ShortRead) <= 0) return false;
    residentKnown = ParseStatmResidentPages(statm, pages);
    resident = pages * kPageBytes;
  }
  const bool peakMayHaveMoved = fresh || !residentKnown || !countersRead_ || faults != faultsAtStatus_ ||
                                resident != residentAtStatus_;
  if (peakMayHaveMoved) {
    readByPath = true;
    countersRead_ = ReadWorkingSets(procFd, pid(), counters_);
    faultsAtStatus_ = faults;
    residentAtStatus_ = resident;
  }
  counters_.PageFaultCount = faults;
  return true;
}

bool KeptProcess::Counters(ProcessCounters& out) const {
  if (countersRead_) out = counters_;
  return countersRead_;
}

int KeptProcess::descriptors() const { return (pidfd_ >= 0) + (statFd_ >= 0) + (statmFd_ >= 0); }

int KeptProcess::TakePidfdAndClose() {
  const int pidfd = std::exchange(pidfd_, -1);
  Close();
  return pidfd;
}

void KeptProcess::Close() {
  CloseDescriptor(pidfd_);
  CloseDescriptor(statFd_);
  CloseDescriptor(statmFd_);
}

}  // namespace nv
