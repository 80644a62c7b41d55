#pragma once
#include <sys/capability.h>

#include "platform/security.h"

namespace nv {

// The debug privilege as the capabilities CAP_SYS_PTRACE (read other processes' memory maps
// and paths) and CAP_SYS_NICE (page out other processes' memory). Capabilities belong to a
// thread: call these on the thread that walks and trims.
class LinuxPrivileges : public Privileges {
 public:
  LinuxPrivileges() = default;
  ~LinuxPrivileges() override;
  LinuxPrivileges(const LinuxPrivileges&) = delete;
  LinuxPrivileges& operator=(const LinuxPrivileges&) = delete;

  // Reads the capability sets of the process.
  Result<void> SaveTokenPrivileges() override;
  // Raises both capabilities from the permitted into the effective set. A process that is
  // not permitted them succeeds: it simply goes on without them.
  Result<void, PrivilegeFailure> EnableDebugPrivilege() override;

 private:
  cap_t saved_ = nullptr;
};

}  // namespace nv
