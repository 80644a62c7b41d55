#include "platform/linux/registry/swap_file_configuration.h"

#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "platform/linux/registry/durable_file.h"
#include "platform/product.h"

namespace nv {

namespace {

constexpr const char* kUnitFolder = "/etc/systemd/system";
constexpr const char* kWantsFolder = "/etc/systemd/system/multi-user.target.wants";

// Points `link` at `target` in one step, replacing whatever was there.
void ReplaceSymlink(const std::string& target, const std::string& link) {
  const std::string temporary = link + ".new";
  ::unlink(temporary.c_str());
  if (::symlink(target.c_str(), temporary.c_str()) != 0 || ::rename(temporary.c_str(), link.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    throw std::system_error(error, std::generic_category(), link);
  }
}

struct FileSystemType {
  uint64_t magic;
  const char* name;
};
// Types known to take a swap file (btrfs once the file is made without copy-on-write).
constexpr uint64_t kSwapCapable[] = {0xEF53 /* ext2, ext3, ext4 */, 0x58465342 /* xfs */, 0x9123683E /* btrfs */,
                                     0xF2F52010 /* f2fs */};
// Names for the message; any other type is refused by its number.
constexpr FileSystemType kKnownOthers[] = {
    {0x01021994, "tmpfs"},     {0x858458F6, "ramfs"},    {0x6969, "NFS"},        {0xFF534D42, "CIFS"},
    {0xFE534D42, "SMB"},       {0x65735546, "FUSE"},     {0x794C7630, "overlayfs"}, {0x73717368, "squashfs"},
    {0x01021997, "9p"},        {0x2FC12FC1, "ZFS"},      {0xCA451A4E, "bcachefs"}, {0x4D44, "FAT"},
};

}  // namespace

std::string SwapFileRefusingFileSystem(uint64_t type) {
  for (uint64_t capable : kSwapCapable)
    if (capable == type) return {};
  for (const auto& known : kKnownOthers)
    if (known.magic == type) return known.name;
  char number[32];
  std::snprintf(number, sizeof number, "type 0x%llx", static_cast<unsigned long long>(type));
  return number;
}

Result<void> SwapFileConfiguration::CanHoldPagingFile() {
  // A system root still to be made lies on the file system of its nearest existing folder.
  std::string root = root_.empty() ? "/" : root_;
  struct statfs info {};
  while (::statfs(root.c_str(), &info) != 0 && errno == ENOENT && root != "/") root = ParentDirectory(root);
  if (::statfs(root.c_str(), &info) != 0) return SystemFailure("Cannot examine the file system of " + root);
  const std::string refusing = SwapFileRefusingFileSystem(static_cast<uint64_t>(info.f_type));
  if (refusing.empty()) return {};
  return Failure{"The root file system (" + refusing +
                 ") cannot hold a swap file, so the system cannot manage the paging file. Nothing was changed."};
}

SwapFileConfiguration::SwapFileConfiguration(std::string systemRoot) : root_(std::move(systemRoot)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  if (root_ == "/") root_.clear();
}

std::string SwapFileConfiguration::UnitText() {
  // The size follows the machine at each boot that finds no swap file: as large as physical
  // memory, but never more than a quarter of the free space of the root file system, and
  // none at all when that leaves less than 64 MiB. btrfs takes a swap file only when it was
  // made without copy-on-write while still empty; other file systems refuse the attribute,
  // which is no failure. systemd wants '$' written as "$$".
  return std::string(
             "[Unit]\n"
             "Description=System-managed swap file of ") +
         kProductTitle +
         "\n"
         "After=local-fs.target\n"
         "ConditionPathIsReadWrite=/\n"
         "\n"
         "[Service]\n"
         "Type=oneshot\n"
         "RemainAfterExit=yes\n"
         "Environment=SWAPFILE=" +
         kSwapFile +
         "\n"
         "ExecStart=/bin/sh -c 'f=\"$$SWAPFILE\"; \\\n"
         "  if grep -q \"^$$f \" /proc/swaps; then exit 0; fi; \\\n"
         "  if [ ! -s \"$$f\" ]; then \\\n"
         "    mem=0; while read -r name kib unit; do if [ \"$$name\" = MemTotal: ]; then mem=$$kib; fi; done < /proc/meminfo; \\\n"
         "    free=$$(df --output=avail -k / | tail -n 1); \\\n"
         "    size=$$mem; if [ $$((free / 4)) -lt \"$$size\" ]; then size=$$((free / 4)); fi; \\\n"
         "    if [ \"$$size\" -lt 65536 ]; then exit 0; fi; \\\n"
         "    rm -f \"$$f\"; : > \"$$f\"; \\\n"
         "    chattr +C \"$$f\" 2>/dev/null || true; \\\n"
         "    fallocate -l \"$${size}K\" \"$$f\" || dd if=/dev/zero of=\"$$f\" bs=1K count=\"$$size\" status=none || { rm -f \"$$f\"; exit 1; }; \\\n"
         "    chmod 600 \"$$f\"; \\\n"
         "    mkswap \"$$f\" || { rm -f \"$$f\"; exit 1; }; \\\n"
         "  fi; \\\n"
         "  swapon \"$$f\"'\n"
         "ExecStop=/bin/sh -c 'swapoff \"$$SWAPFILE\" || true'\n"
         "\n"
         "[Install]\n"
         "WantedBy=multi-user.target\n";
}

Result<void> SwapFileConfiguration::SetSystemManaged() {
  const std::string unitPath = std::string(kUnitFolder) + "/" + kUnitName;
  try {
    MakeDirectories(root_ + kWantsFolder, 0755);
    WriteFileAtomically(root_ + unitPath, UnitText(), 0644);
    ReplaceSymlink(unitPath, root_ + kWantsFolder + "/" + kUnitName);
    SyncDirectory(root_ + kWantsFolder);
    return {};
  } catch (const std::system_error& e) {
    return Failure{"Cannot write " + std::string(e.what()), e.code().value()};
  }
}

std::string SystemRootFromEnvironment() {
  const char* root = std::getenv("NORVANE_SYSTEM_ROOT");
  return root && *root ? root : "/";
}

}  // namespace nv
