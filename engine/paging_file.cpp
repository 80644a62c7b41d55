#include "engine/paging_file.h"

#include "platform/error.h"
#include "platform/log.h"

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

bool ConfigureSystemManagedPaging(Registry& registry, PagingConfiguration& paging,
                                  const std::string& windowsDirectory) {
  if (const auto held = paging.CanHoldPagingFile(); !held) throw Error(held.error().reason);
  // A Windows machine always has this key; the stand-in hive gets it with its first value.
  const auto key = registry.Open(RootKey::HKeyLocalMachine, kMemoryManagementKey, true);
  if (!key) {
    LogFailure(LogLevel::Error, "The paging file setting was not written", key.error());
    return false;
  }
  RegValue value;
  value.type = reg::MultiSz;
  value.data = SystemManagedPagingFiles(windowsDirectory);
  if (const auto written = (*key)->Write(kPagingFilesValue, value); !written) {
    LogFailure(LogLevel::Error, "The paging file setting was not written", written.error());
    return false;
  }
  const auto set = paging.SetSystemManaged();
  if (!set) LogFailure(LogLevel::Error, "The system does not manage the paging file", set.error());
  return set.has_value();
}

}  // namespace nv
