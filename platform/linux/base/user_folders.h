#pragma once
#include <functional>
#include <optional>
#include <string>

namespace nv {

// Reads one environment variable; tests hand in their own in place of the process's.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

EnvironmentLookup ProcessEnvironment();

// An XDG base folder: the variable when it holds an absolute path, else `fallback`.
std::string XdgBaseFolder(const EnvironmentLookup& environment, const char* variable, const std::string& fallback);

// $XDG_CACHE_HOME, by default the .cache folder of `home`.
std::string UserCacheFolderFrom(const EnvironmentLookup& environment, const std::string& home);

// The program's cache folder for a process that is root or not.
std::string ProgramCacheFolderFrom(const EnvironmentLookup& environment, const std::string& home, bool root);

}  // namespace nv
