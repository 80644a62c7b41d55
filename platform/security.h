#pragma once
#include <string>

#include "platform/result.h"

namespace nv {

// The single-instance mark shared by every instance of the program in a session.
class InstanceEvent {
 public:
  virtual ~InstanceEvent() = default;
  virtual bool IsInstanceRunning() = 0;
  virtual void SignalInstanceEvent() = 0;
  virtual void ResetInstanceEvent() = 0;
};

// The part of the privilege step of start-up that failed: each has its own message.
enum class PrivilegeStep { OpenToken, LookupPrivilege, AdjustToken };

struct PrivilegeFailure {
  PrivilegeStep step;
  std::string reason;
};

class Privileges {
 public:
  virtual ~Privileges() = default;
  virtual Result<void> SaveTokenPrivileges() = 0;
  // Succeeds also when the process is not permitted the privilege: it then simply lacks it.
  virtual Result<void, PrivilegeFailure> EnableDebugPrivilege() = 0;
};

}  // namespace nv
