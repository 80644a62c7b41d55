#pragma once
#include <sys/uio.h>

#include <string>
#include <vector>

#include "platform/linux/page_out.h"
#include "platform/linux/proc_file.h"
#include "platform/linux/proc_process_reader.h"
#include "platform/processes.h"

namespace nv {

// The processes of /proc: a hand-written walk (getdents64 and openat on one directory
// descriptor, a fixed buffer per file), pidfds as handles, and trimming by process_madvise.
//
// The walk keeps what it read of each process (page faults, exe path), so that the path and
// counters asked for in the same snapshot are not read twice; the working sets are always
// read afresh, and a pid the last walk did not see is read whole.
class LinuxProcesses : public Processes {
 public:
  explicit LinuxProcesses(const std::string& procRoot = "/proc");
  ~LinuxProcesses() override;
  LinuxProcesses(const LinuxProcesses&) = delete;
  LinuxProcesses& operator=(const LinuxProcesses&) = delete;

  bool Walk(std::vector<ProcessWalkEntry>& out) override;
  // Full when a permission probe (process_madvise with no ranges) succeeds; query-only when
  // the process's /proc files can be read all the same; none when it is gone or hidden.
  ProcessHandle Open(uint32_t pid) override;
  std::string ModulePath(const ProcessHandle& h) override;
  bool Counters(const ProcessHandle& h, ProcessCounters& out) override;
  // Pages out the file-backed mappings, and the anonymous ones while swap can take them.
  void Trim(const ProcessHandle& h) override;
  // malloc_trim, and paging out of the own private anonymous memory while swap can take it.
  // Never the own file-backed mappings: the program would re-read its code every second.
  // NORVANE_SELF_TRIM=0 in the environment turns it off, for footprint comparisons.
  void TrimSelf() override;
  void Close(ProcessHandle& h) override;

 private:
  // The last walk's record of `pid`, or nullptr.
  const ProcessWalkRecord* WalkedRecord(uint32_t pid) const;
  bool SwapCanTakePages();

  int procFd_ = -1;
  KeptOpenFile meminfo_;
  std::vector<ProcessWalkRecord> walked_;  // by ascending pid
  std::vector<iovec> ranges_;              // reused by every trim
};

}  // namespace nv
