#include "platform/linux/system/linux_privileges.h"

#include <string>

namespace nv {

LinuxPrivileges::~LinuxPrivileges() {
  if (saved_ != nullptr) cap_free(saved_);
}

Result<void> LinuxPrivileges::SaveTokenPrivileges() {
  cap_t current = cap_get_proc();
  if (current == nullptr) return SystemFailure("Cannot read the capabilities of this process");
  if (saved_ != nullptr) cap_free(saved_);
  saved_ = current;
  return {};
}

Result<void, PrivilegeFailure> LinuxPrivileges::EnableDebugPrivilege() {
  static constexpr cap_value_t kDebugCapabilities[] = {CAP_SYS_PTRACE, CAP_SYS_NICE};
  for (cap_value_t capability : kDebugCapabilities)
    if (!CAP_IS_SUPPORTED(capability))
      return PrivilegeFailure{PrivilegeStep::LookupPrivilege,
                              "The kernel knows no capability " + std::to_string(capability)};

  cap_t caps = cap_get_proc();
  if (caps == nullptr)
    return PrivilegeFailure{PrivilegeStep::OpenToken, SystemFailure("Cannot read the capabilities").reason};
  cap_value_t permitted[2];
  int count = 0;
  for (cap_value_t capability : kDebugCapabilities) {
    cap_flag_value_t value = CAP_CLEAR;
    if (cap_get_flag(caps, capability, CAP_PERMITTED, &value) == 0 && value == CAP_SET)
      permitted[count++] = capability;
  }
  Result<void, PrivilegeFailure> result;
  if (count > 0 &&
      (cap_set_flag(caps, CAP_EFFECTIVE, count, permitted, CAP_SET) != 0 || cap_set_proc(caps) != 0))
    result = PrivilegeFailure{PrivilegeStep::AdjustToken, SystemFailure("Cannot raise the capabilities").reason};
  cap_free(caps);
  return result;
}

}  // namespace nv
