#pragma once
#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

namespace nv::test {

// The environment that points every per-user and machine location of a started program into
// `home`, so that a test run never reads or writes the real hives, autostart folder or instance
// lock. The runtime folder is `home`/run; MakeRuntimeFolder makes it as the program wants it.
inline std::vector<std::pair<std::string, std::string>> ProgramHomeVariables(const std::string& home) {
  return {
      {"HOME", home},
      {"XDG_RUNTIME_DIR", home + "/run"},
      {"XDG_CONFIG_HOME", home + "/config"},
      {"XDG_STATE_HOME", home + "/state"},
      {"XDG_CACHE_HOME", home + "/cache"},
      {"NORVANE_REGISTRY_DIR", home + "/registry"},
      {"NORVANE_AUTOSTART_DIR", home + "/autostart"},
  };
}

// `home`/run, readable by its owner alone; false when it cannot be made so.
inline bool MakeRuntimeFolder(const std::string& home) {
  const std::string run = home + "/run";
  ::mkdir(home.c_str(), 0700);
  ::mkdir(run.c_str(), 0700);
  return ::chmod(run.c_str(), 0700) == 0;
}

}  // namespace nv::test
