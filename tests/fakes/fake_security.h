#pragma once
#include <optional>

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
  std::optional<PrivilegeStep> failingStep;
  Result<void> SaveTokenPrivileges() override {
    if (!saveSucceeds) return Failure{"the token could not be read"};
    return {};
  }
  Result<void, PrivilegeFailure> EnableDebugPrivilege() override {
    if (failingStep) return PrivilegeFailure{*failingStep, "the step failed"};
    return {};
  }
};

}  // namespace nv::test
