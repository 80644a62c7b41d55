#pragma once
#include <filesystem>

namespace nv {

// A per-user mirror of the folders beside the program, as Windows keeps for programs that run
// without elevation: a file that belongs to such a folder is kept under the store at the same
// absolute path, so that downloaded data never lands where the program's own files lie.
class VirtualStore {
 public:
  explicit VirtualStore(std::filesystem::path root);
  // $XDG_CACHE_HOME/norvane/VirtualStore, by default under the user's home folder's .cache;
  // root's is /var/cache/norvane/VirtualStore.
  static std::filesystem::path DefaultRoot();

  // Where `file` lives inside the store.
  std::filesystem::path Mirror(const std::filesystem::path& file) const;

 private:
  std::filesystem::path root_;
};

}  // namespace nv
