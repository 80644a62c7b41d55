#pragma once

namespace nv::reclaim {

// Leaves this process exactly CAP_SYS_PTRACE (to read other users' memory maps) and
// CAP_SYS_NICE (to advise their memory), permitted and effective, and nothing else: root,
// which starts with every capability, gives up the rest too. False when either is not
// permitted, that is when the helper was installed without its capabilities.
bool KeepOnlyTrimCapabilities();

}  // namespace nv::reclaim
