#include "platform/linux/swap_file_configuration.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/linux/durable_file.h"

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

}  // namespace

SwapFileConfiguration::SwapFileConfiguration(std::string systemRoot) : root_(std::move(systemRoot)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  if (root_ == "/") root_.clear();
}

std::string SwapFileConfiguration::UnitText() {
  // The size follows the machine at each boot that finds no swap file: as large as physical
  // memory, but never more than a quarter of the free space of the root file system, and
  // none at all when that leaves less than 64 MiB. systemd wants '$' written as "$$".
  return std::string(
             "[Unit]\n"
             "Description=System-managed swap file of Velqor Norvane\n"
             "After=local-fs.target\n"
             "ConditionPathIsReadWrite=/\n"
             "\n"
             "[Service]\n"
             "Type=oneshot\n"
             "RemainAfterExit=yes\n"
             "Environment=SWAPFILE=") +
         kSwapFile +
         "\n"
         "ExecStart=/bin/sh -c 'f=\"$$SWAPFILE\"; \\\n"
         "  if grep -q \"^$$f \" /proc/swaps; then exit 0; fi; \\\n"
         "  if [ ! -s \"$$f\" ]; then \\\n"
         "    mem=0; while read -r name kib unit; do if [ \"$$name\" = MemTotal: ]; then mem=$$kib; fi; done < /proc/meminfo; \\\n"
         "    free=$$(df --output=avail -k / | tail -n 1); \\\n"
         "    size=$$mem; if [ $$((free / 4)) -lt \"$$size\" ]; then size=$$((free / 4)); fi; \\\n"
         "    if [ \"$$size\" -lt 65536 ]; then exit 0; fi; \\\n"
         "    rm -f \"$$f\"; \\\n"
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

bool SwapFileConfiguration::SetSystemManaged(std::string& error) {
  const std::string unitPath = std::string(kUnitFolder) + "/" + kUnitName;
  try {
    MakeDirectories(root_ + kWantsFolder, 0755);
    WriteFileAtomically(root_ + unitPath, UnitText(), 0644);
    ReplaceSymlink(unitPath, root_ + kWantsFolder + "/" + kUnitName);
    SyncDirectory(root_ + kWantsFolder);
    return true;
  } catch (const std::system_error& e) {
    error = "Cannot write " + std::string(e.what());
    return false;
  }
}

std::string SystemRootFromEnvironment() {
  const char* root = std::getenv("NORVANE_SYSTEM_ROOT");
  return root && *root ? root : "/";
}

}  // namespace nv
