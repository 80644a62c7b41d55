#pragma once
#include <memory>
#include <string>

#include "platform/linux/registry/hive_registry.h"
#include "platform/linux/base/user_folders.h"

namespace nv {

// The hive and autostart locations: NORVANE_REGISTRY_DIR holds all hives when set;
// otherwise the machine hive is in /var/lib/norvane, the user hive in $XDG_CONFIG_HOME/norvane
// and the virtual store in $XDG_STATE_HOME/norvane/VirtualStore (defaults under `home`).
// NORVANE_AUTOSTART_DIR replaces both autostart folders. `mayWriteMachine` is left false.
HiveLocations HiveLocationsFrom(const EnvironmentLookup& environment, const std::string& home);

// Whether this process may create and replace files in `dir` (or in the folder that would
// hold it, when it does not exist yet).
bool MayWriteDirectory(const std::string& dir);

// The registry of this process, from its environment and rights.
std::unique_ptr<HiveRegistry> MakeHiveRegistry();

}  // namespace nv
