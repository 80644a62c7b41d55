#include <gtest/gtest.h>
#include <sys/capability.h>

#include "platform/linux/system/linux_privileges.h"

namespace nv {
namespace {

bool HasFlag(cap_value_t capability, cap_flag_t set) {
  cap_t caps = cap_get_proc();
  cap_flag_value_t value = CAP_CLEAR;
  cap_get_flag(caps, capability, set, &value);
  cap_free(caps);
  return value == CAP_SET;
}

void DropEffective(cap_value_t capability) {
  cap_t caps = cap_get_proc();
  cap_set_flag(caps, CAP_EFFECTIVE, 1, &capability, CAP_CLEAR);
  ASSERT_EQ(cap_set_proc(caps), 0);
  cap_free(caps);
}

// Runs as root with every capability, and again with CAP_SYS_NICE taken away.
TEST(DebugPrivilege, RaisesWhatIsPermittedAndIsOkWithoutTheRest) {
  LinuxPrivileges privileges;
  EXPECT_TRUE(privileges.SaveTokenPrivileges());
  for (cap_value_t capability : {CAP_SYS_PTRACE, CAP_SYS_NICE}) DropEffective(capability);

  EXPECT_TRUE(privileges.EnableDebugPrivilege());
  for (cap_value_t capability : {CAP_SYS_PTRACE, CAP_SYS_NICE})
    EXPECT_EQ(HasFlag(capability, CAP_EFFECTIVE), HasFlag(capability, CAP_PERMITTED)) << "capability " << capability;
}

}  // namespace
}  // namespace nv
