#include "platform/linux/linux_privileges.h"

namespace nv {

LinuxPrivileges::~LinuxPrivileges() {
  if (saved_ != nullptr) cap_free(saved_);
}

bool LinuxPrivileges::SaveTokenPrivileges() {
  cap_t current = cap_get_proc();
  if (current == nullptr) return false;
  if (saved_ != nullptr) cap_free(saved_);
  saved_ = current;
  return true;
}

PrivilegeResult LinuxPrivileges::EnableDebugPrivilege() {
  static constexpr cap_value_t kDebugCapabilities[] = {CAP_SYS_PTRACE, CAP_SYS_NICE};
  for (cap_value_t capability : kDebugCapabilities)
    if (!CAP_IS_SUPPORTED(capability)) return PrivilegeResult::LookupFailed;

  cap_t caps = cap_get_proc();
  if (caps == nullptr) return PrivilegeResult::OpenTokenFailed;
  cap_value_t permitted[2];
  int count = 0;
  for (cap_value_t capability : kDebugCapabilities) {
    cap_flag_value_t value = CAP_CLEAR;
    if (cap_get_flag(caps, capability, CAP_PERMITTED, &value) == 0 && value == CAP_SET)
      permitted[count++] = capability;
  }
  PrivilegeResult result = PrivilegeResult::Ok;
  if (count > 0 &&
      (cap_set_flag(caps, CAP_EFFECTIVE, count, permitted, CAP_SET) != 0 || cap_set_proc(caps) != 0))
    result = PrivilegeResult::AdjustFailed;
  cap_free(caps);
  return result;
}

}  // namespace nv
