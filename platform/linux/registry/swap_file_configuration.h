#pragma once
#include <cstdint>
#include <string>

#include "platform/paging.h"

namespace nv {

// Lets the system manage a swap file on the root file system from the next boot on: a
// systemd unit that sizes, creates, formats and enables the file, enabled for the
// multi-user target. Everything is written beneath `systemRoot` ("/" on a real system).
class SwapFileConfiguration : public PagingConfiguration {
 public:
  static constexpr const char* kUnitName = "norvane-swapfile.service";
  static constexpr const char* kSwapFile = "/norvane.swap";

  explicit SwapFileConfiguration(std::string systemRoot);
  // Only a file system that maps a file's blocks for the kernel's swap can hold the file:
  // tmpfs, NFS and the like refuse swapon however the file is made.
  Result<void> CanHoldPagingFile() override;
  Result<void> SetSystemManaged() override;

  // The unit file's text.
  static std::string UnitText();

 private:
  std::string root_;
};

// The name of a file system type (statfs's f_type) that cannot hold a swap file; empty
// for the types that can.
std::string SwapFileRefusingFileSystem(uint64_t type);

// "/" or NORVANE_SYSTEM_ROOT when set.
std::string SystemRootFromEnvironment();

}  // namespace nv
