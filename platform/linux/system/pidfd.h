#pragma once
#include <sys/resource.h>

#include <cstdint>

#include "platform/processes.h"

namespace nv {

// A pidfd on `pid`, or -1. Short of descriptors, the soft limit is raised once and the open
// tried again.
int OpenPidfd(uint32_t pid);

// True while the pidfd's process exists, a zombie included: its number is not free for reuse.
bool PidfdProcessExists(int pidfd);

// Full when the program may trim the pidfd's process (a page-out advice over no ranges is let
// through), query-only otherwise.
ProcessAccess ProbeTrimAccess(int pidfd);

// Raises the soft descriptor limit to at least `wanted` (at least doubling it, within the hard
// limit); false when it cannot go that high.
bool RaiseDescriptorLimit(rlim_t wanted);

// The soft descriptor limit.
rlim_t DescriptorLimit();

}  // namespace nv
