#include "platform/linux/base/user_folders.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/account.h"

namespace nv {

EnvironmentLookup ProcessEnvironment() {
  return [](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  };
}

std::string XdgBaseFolder(const EnvironmentLookup& environment, const char* variable, const std::string& fallback) {
  const auto value = environment(variable);
  return value && !value->empty() && value->front() == '/' ? *value : fallback;
}

std::string UserCacheFolderFrom(const EnvironmentLookup& environment, const std::string& home) {
  return XdgBaseFolder(environment, "XDG_CACHE_HOME", home + "/.cache");
}

std::string UserCacheFolder() { return UserCacheFolderFrom(ProcessEnvironment(), UserHomeFolder()); }

std::string ProgramCacheFolderFrom(const EnvironmentLookup& environment, const std::string& home, bool root) {
  return XdgBaseFolder(environment, "XDG_CACHE_HOME", root ? "/var/cache" : home + "/.cache") + "/norvane";
}

std::string ProgramCacheFolder() {
  return ProgramCacheFolderFrom(ProcessEnvironment(), UserHomeFolder(), ::geteuid() == 0);
}

}  // namespace nv
