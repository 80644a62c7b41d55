#pragma once
#include <string>
#include <vector>

#include "platform/linux/system/kept_process_table.h"
#include "platform/linux/system/proc_file.h"
#include "platform/linux/system/self_trim.h"
#include "platform/processes.h"

namespace nv {

// The processes of /proc: a hand-written walk (getdents64 on one directory descriptor, fixed
// buffers, the files of known processes kept open between walks), pidfds as handles, and the
// trimming of the program itself. Other processes are paged out by a Reclaimer.
//
// The walk reads everything a snapshot asks for, so the path and counters of a process are
// what the last walk found; its kept pidfd is the handle. A pid the last walk did not see is
// read and opened on its own.
class LinuxProcesses : public Processes {
 public:
  explicit LinuxProcesses(const std::string& procRoot = "/proc");
  ~LinuxProcesses() override;
  LinuxProcesses(const LinuxProcesses&) = delete;
  LinuxProcesses& operator=(const LinuxProcesses&) = delete;

  Result<std::vector<ProcessWalkEntry>> Walk() override;
  // Full when a permission probe (process_madvise with no ranges) succeeds; query-only when
  // the process's /proc files can be read all the same; none when it is gone or hidden.
  ProcessHandle Open(uint32_t pid) override;
  std::string ModulePath(const ProcessHandle& h) override;
  Result<ProcessCounters> Counters(const ProcessHandle& h) override;
  // The program's trim of itself (SelfTrim), which does nothing in a second in which its heap
  // and anonymous memory did not grow. NORVANE_SELF_TRIM=0 in the environment turns it off, for footprint comparisons.
  void TrimSelf() override;
  void Close(ProcessHandle& h) override;
  void ReleaseKept() override;

 private:
  bool SwapCanTakePages();

  int procFd_ = -1;
  KeptOpenFile meminfo_;
  KeptProcessTable walked_;
  SelfTrim self_;
};

}  // namespace nv
