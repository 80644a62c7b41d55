#pragma once

namespace nv::reclaim {

// Leaves this process the capabilities a trim needs, permitted and effective, and nothing
// else. For an ordinary caller that is CAP_SYS_NICE alone, which process_madvise asks for even
// on the caller's own processes; reading their maps and advising them stays under the kernel's
// ptrace-read rule, checked with the caller's own credentials. Root (the helper started by
// pkexec for a machine-wide trim) also keeps CAP_SYS_PTRACE, to read every process's maps, and
// CAP_FOWNER, without which the kernel pages out a file's pages only for the file's owner.
// False when CAP_SYS_NICE is not permitted, that is when the helper was installed without it.
bool KeepOnlyTrimCapabilities(bool root);

}  // namespace nv::reclaim
