#include "platform/linux/hive_environment.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/account.h"
#include "platform/linux/durable_file.h"

namespace nv {

namespace {

constexpr const char* kMachineHiveDir = "/var/lib/norvane";
constexpr const char* kSystemAutostartDir = "/etc/xdg/autostart";
constexpr const char* kMachineHiveName = "HKEY_LOCAL_MACHINE.reg";
constexpr const char* kUserHiveName = "HKEY_CURRENT_USER.reg";

// An XDG base folder: the variable when it holds an absolute path, else the default.
std::string BaseDirectory(const EnvironmentLookup& environment, const char* variable, const std::string& fallback) {
  const auto value = environment(variable);
  return value && !value->empty() && value->front() == '/' ? *value : fallback;
}

}  // namespace

HiveLocations HiveLocationsFrom(const EnvironmentLookup& environment, const std::string& home) {
  const std::string config = BaseDirectory(environment, "XDG_CONFIG_HOME", home + "/.config");
  const std::string state = BaseDirectory(environment, "XDG_STATE_HOME", home + "/.local/state");
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
  HiveLocations at = HiveLocationsFrom(
      [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
      },
      UserHomeFolder());
  at.mayWriteMachine = MayWriteDirectory(ParentDirectory(at.machineHive));
  return std::make_unique<HiveRegistry>(std::move(at));
}

}  // namespace nv
