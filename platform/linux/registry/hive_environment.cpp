#include "platform/linux/registry/hive_environment.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/account.h"
#include "platform/linux/registry/durable_file.h"

namespace nv {

namespace {

constexpr const char* kMachineHiveDir = "/var/lib/norvane";
constexpr const char* kSystemAutostartDir = "/etc/xdg/autostart";
constexpr const char* kMachineHiveName = "HKEY_LOCAL_MACHINE.reg";
constexpr const char* kUserHiveName = "HKEY_CURRENT_USER.reg";

}  // namespace

HiveLocations HiveLocationsFrom(const EnvironmentLookup& environment, const std::string& home) {
  const std::string config = XdgBaseFolder(environment, "XDG_CONFIG_HOME", home + "/.config");
  const std::string state = XdgBaseFolder(environment, "XDG_STATE_HOME", home + "/.local/state");
  HiveLocations at;
  if (const auto dir = environment("NORVANE_REGISTRY_DIR"); dir && !dir->empty()) {
    at.machineHive = *dir + "/" + kMachineHiveName;
    at.userHive = *dir + "/" + kUserHiveName;
    at.virtualStoreHive = *dir + "/VirtualStore/" + kMachineHiveName;
  } else {
    at.machineHive = std::string(kMachineHiveDir) + "/" + kMachineHiveName;
    at.userHive = config + "/norvane/" + kUserHiveName;
    at.virtualStoreHive = state + "/norvane/VirtualStore/" + kMachineHiveName;
  }
  if (const auto dir = environment("NORVANE_AUTOSTART_DIR"); dir && !dir->empty()) {
    at.machineAutostartDir = at.userAutostartDir = *dir;
  } else {
    at.machineAutostartDir = kSystemAutostartDir;
    at.userAutostartDir = config + "/autostart";
  }
  return at;
}

bool MayWriteDirectory(const std::string& dir) {
  std::string existing = dir;
  struct stat st {};
  while (::stat(existing.c_str(), &st) != 0) {
    if (existing == "/" || existing == ".") return false;
    existing = ParentDirectory(existing);
  }
  return ::faccessat(AT_FDCWD, existing.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::unique_ptr<HiveRegistry> MakeHiveRegistry() {
  HiveLocations at = HiveLocationsFrom(ProcessEnvironment(), UserHomeFolder());
  at.mayWriteMachine = MayWriteDirectory(ParentDirectory(at.machineHive));
  return std::make_unique<HiveRegistry>(std::move(at));
}

}  // namespace nv
