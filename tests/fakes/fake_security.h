#pragma once
#include "platform/security.h"

namespace nv::test {

// The single-instance mark of one session, held in memory.
class FakeInstanceEvent : public InstanceEvent {
 public:
  bool signalled = false;
  int resets = 0;
  bool IsInstanceRunning() override { return signalled; }
  void SignalInstanceEvent() override { signalled = true; }
  void ResetInstanceEvent() override {
    signalled = false;
    ++resets;
  }
};

// The privilege step answers as told; by default the token is read and the privilege enabled.
class FakePrivileges : public Privileges {
 public:
  bool saveSucceeds = true;
  PrivilegeResult enableResult = PrivilegeResult::Ok;
  bool SaveTokenPrivileges() override { return saveSucceeds; }
  PrivilegeResult EnableDebugPrivilege() override { return enableResult; }
};

}  // namespace nv::test
