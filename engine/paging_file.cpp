#include "engine/paging_file.h"

namespace nv {

std::vector<uint8_t> SystemManagedPagingFiles(const std::string& windowsDirectory) {
  std::string directory = windowsDirectory;
  if (directory.empty() || directory.back() != '\\') directory += '\\';
  const std::string entry = directory.substr(0, 2) + "\\pagefile.sys 0 0";
  std::vector<uint8_t> data(entry.begin(), entry.end());
  data.push_back(0);
  data.push_back(0);
  return data;
}

Result<void> ConfigureSystemManagedPaging(Registry& registry, PagingConfiguration& paging,
                                          const std::string& windowsDirectory) {
  if (auto held = paging.CanHoldPagingFile(); !held) return held.error();
  // A Windows machine always has this key; the stand-in hive gets it with its first value.
  const auto key = registry.Open(RootKey::HKeyLocalMachine, kMemoryManagementKey, true);
  if (!key) return key.error();
  RegValue value;
  value.type = reg::MultiSz;
  value.data = SystemManagedPagingFiles(windowsDirectory);
  if (auto written = (*key)->Write(kPagingFilesValue, value); !written) return written.error();
  return paging.SetSystemManaged();
}

}  // namespace nv
