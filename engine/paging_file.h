#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/paging.h"
#include "platform/registry.h"

namespace nv {

// The drive that stands for the Windows directory: the root file system.
inline constexpr char kWindowsDirectory[] = "C:\\WINDOWS";
inline constexpr char kMemoryManagementKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
inline constexpr char kPagingFilesValue[] = "PagingFiles";

// The list of one system-managed paging file on the drive of `windowsDirectory`, closed by
// an empty string: "D:\pagefile.sys 0 0", a zero, and the zero that ends the list.
std::vector<uint8_t> SystemManagedPagingFiles(const std::string& windowsDirectory);

// Writes "PagingFiles" into the machine hive, then the system's own paging configuration.
// Succeeds only when both were written; a system drive that cannot hold a paging file or a
// key that cannot be opened fails before anything is written.
Result<void> ConfigureSystemManagedPaging(Registry& registry, PagingConfiguration& paging,
                                          const std::string& windowsDirectory = kWindowsDirectory);

}  // namespace nv
