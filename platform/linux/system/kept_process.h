#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/linux/system/proc_process_reader.h"
#include "platform/processes.h"

namespace nv {

// One process as the walks see it, with its pidfd, stat and statm kept open from one walk to
// the next: a walk then costs two reads of open files per process instead of opening,
// rendering and closing four.
//
// Files kept open belong to the process, not to its number: after it has ended they fail to
// read even when the number has gone to a new process. The pidfd is opened before them and
// found alive after them, so that all of them were opened on the same process.
//
// status, the only source of the peak resident set, is read again only when it may say
// something new: the process is new, it took page faults since the last read (pages become
// resident through faults, also those that leave again before the next walk), or its resident
// set in statm (the same count as VmRSS) moved. A shrink counts too: the kernel records the
// peak when memory is unmapped, from an estimate of the resident set that can lie below the
// exact figure shown before, so VmHWM can even fall. An idle process costs two reads of open
// files. The name and the exe path are read again when the process took faults or changed its
// name: an exec does both.
//
// A process opened without keeping holds no descriptor and is read whole at every walk.
class KeptProcess {
 public:
  KeptProcess() = default;
  ~KeptProcess();
  KeptProcess(KeptProcess&& other) noexcept;
  KeptProcess& operator=(KeptProcess&& other) noexcept;
  KeptProcess(const KeptProcess&) = delete;
  KeptProcess& operator=(const KeptProcess&) = delete;

  // Reads the process of the /proc entry `pidName`, keeping its files open when `keep`; false
  // when the entry is not a process or the process has ended.
  bool Open(int procFd, std::string_view pidName, bool keep);
  // Reads it again; false when it has ended.
  bool Refresh(int procFd);

  uint32_t pid() const { return record_.entry.ProcessID; }
  const ProcessWalkRecord& record() const { return record_; }
  // The counters of the last read; false when status could not be read.
  bool Counters(ProcessCounters& out) const;
  // The kept pidfd, or -1 when nothing is kept.
  int pidfd() const { return pidfd_; }
  ProcessAccess access() const { return access_; }
  int descriptors() const;
  // Hands the pidfd to the caller, who closes it, and closes the rest.
  int TakePidfdAndClose();

 private:
  bool Read(int procFd, bool fresh);
  bool ReadMemory(int procFd, bool fresh, bool& readByPath);
  void Close();

  char pidName_[12] = {};
  int pidfd_ = -1;
  int statFd_ = -1;
  int statmFd_ = -1;
  ProcessWalkRecord record_;
  std::string comm_;  // as stat last said it
  ProcessCounters counters_;
  bool countersRead_ = false;
  uint64_t faultsAtStatus_ = 0;
  uint64_t residentAtStatus_ = 0;  // statm's resident bytes when status was last read
  ProcessAccess access_ = ProcessAccess::None;
};

}  // namespace nv
