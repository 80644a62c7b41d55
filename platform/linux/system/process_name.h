#pragma once
#include <string_view>

namespace nv {

// The kernel keeps 15 bytes of a process's name (TASK_COMM_LEN less its NUL).
constexpr size_t kKernelNameBytes = 15;

// The exe link without the " (deleted)" the kernel appends once the file was replaced or
// removed (every daemon after a package upgrade): the mark is not part of the path.
std::string_view WithoutDeletedMark(std::string_view exeLink);

// The name the process list shows. The exe link's file name when the link can be read;
// otherwise the kernel's name (`comm` of stat), which the process can only set within its
// 15 bytes. argv[0] is the process's own text and may say anything, so its file name is taken
// only where it completes the kernel's name: equal to it, or longer than a full 15-byte name
// that it begins with.
std::string_view ProcessNameOf(std::string_view comm, std::string_view exeLink, std::string_view argv0);

}  // namespace nv
