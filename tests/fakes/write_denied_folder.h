#pragma once
#include <sys/capability.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace nv::test {

// Makes a folder refuse new files for as long as the object lives, also when the tests run
// as root: root's CAP_DAC_OVERRIDE is lowered in the calling thread's effective set (it stays
// permitted and is raised again afterwards).
class WriteDeniedFolder {
 public:
  explicit WriteDeniedFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                              std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    if (::geteuid() == 0) SetOverride(CAP_CLEAR);
  }
  ~WriteDeniedFolder() {
    if (::geteuid() == 0) SetOverride(CAP_SET);
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
  }
  WriteDeniedFolder(const WriteDeniedFolder&) = delete;
  WriteDeniedFolder& operator=(const WriteDeniedFolder&) = delete;

 private:
  static void SetOverride(cap_flag_value_t value) {
    cap_t caps = cap_get_proc();
    const cap_value_t which[] = {CAP_DAC_OVERRIDE};
    const bool ok = caps && cap_set_flag(caps, CAP_EFFECTIVE, 1, which, value) == 0 && cap_set_proc(caps) == 0;
    cap_free(caps);
    if (!ok) throw std::runtime_error("cannot change CAP_DAC_OVERRIDE");
  }

  std::filesystem::path folder_;
};

}  // namespace nv::test
