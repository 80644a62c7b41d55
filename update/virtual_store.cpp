#include "update/virtual_store.h"

#include <system_error>

#include "platform/account.h"

namespace nv {

VirtualStore::VirtualStore(std::filesystem::path root) : root_(std::move(root)) {}

std::filesystem::path VirtualStore::DefaultRoot() {
  return std::filesystem::path(ProgramCacheFolder()) / "VirtualStore";
}

std::filesystem::path VirtualStore::Mirror(const std::filesystem::path& file) const {
  return root_ / std::filesystem::absolute(file).relative_path();
}

}  // namespace nv
