#pragma once
#include <filesystem>
#include <string>

#include "platform/temp_folder.h"

namespace nv::test {

// A copy of a built program in a fresh folder that every user may enter, for a test that
// starts it as another user: the build tree may lie inside a home folder of mode 0700 or 0750,
// which that user cannot pass ("Permission denied" at exec).
class ReachableCopy {
 public:
  explicit ReachableCopy(const std::filesystem::path& program) : path_(dir_.Path() / program.filename()) {
    namespace fs = std::filesystem;
    fs::permissions(dir_.Path(), fs::perms(0755), fs::perm_options::replace);
    fs::copy_file(program, path_);
    fs::permissions(path_, fs::perms(0755), fs::perm_options::replace);
  }

  std::string Path() const { return path_.string(); }

 private:
  TempFolder dir_;
  std::filesystem::path path_;
};

}  // namespace nv::test
