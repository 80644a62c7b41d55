#pragma once

namespace nv {

// The single-instance mark shared by every instance of the program in a session.
class InstanceEvent {
 public:
  virtual ~InstanceEvent() = default;
  virtual bool IsInstanceRunning() = 0;
  virtual void SignalInstanceEvent() = 0;
  virtual void ResetInstanceEvent() = 0;
};

// The privilege step of start-up.
enum class PrivilegeResult { Ok, OpenTokenFailed, LookupFailed, AdjustFailed };

class Privileges {
 public:
  virtual ~Privileges() = default;
  virtual bool SaveTokenPrivileges() = 0;
  // Ok also when the process is not permitted the privilege: it then simply lacks it.
  virtual PrivilegeResult EnableDebugPrivilege() = 0;
};

}  // namespace nv
