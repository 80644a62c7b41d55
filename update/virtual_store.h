#pragma once
#include <filesystem>

namespace nv {

// A per-user mirror of folders the program may not write, as Windows keeps for programs that
// run without elevation: a file refused in its own folder is kept under the store at the same
// absolute path, and once a copy is there it is the one read and written.
class VirtualStore {
 public:
  explicit VirtualStore(std::filesystem::path root);
  // $XDG_CACHE_HOME/norvane/VirtualStore, by default under the user's home folder's .cache.
  static std::filesystem::path DefaultRoot();

  // Where `file` lives inside the store.
  std::filesystem::path Mirror(const std::filesystem::path& file) const;
  // The store's copy of `file` when there is one, otherwise `file` itself.
  std::filesystem::path Current(const std::filesystem::path& file) const;

 private:
  std::filesystem::path root_;
};

}  // namespace nv
