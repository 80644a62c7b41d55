#include "engine/paging_file.h"

#include "platform/error.h"

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
  if (std::string reason; !paging.CanHoldPagingFile(reason)) throw Error(reason);
  // A Windows machine always has this key; the stand-in hive gets it with its first value.
  const auto key = registry.Open(RootKey::HKEY_LOCAL_MACHINE, kMemoryManagementKey, true);
  if (!key) return false;
  RegValue value;
  value.type = REG_MULTI_SZ;
  value.data = SystemManagedPagingFiles(windowsDirectory);
  if (!key->Write(kPagingFilesValue, value)) return false;
  std::string error;
  return paging.SetSystemManaged(error);
}

}  // namespace nv
