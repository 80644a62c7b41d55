#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/registry/hive.h"
#include "platform/linux/registry/hive_file.h"
#include "platform/registry.h"

namespace nv {

// Where the hives and the autostart entries live, and whether this process may write the
// machine hive.
struct HiveLocations {
  std::string machineHive;       // HKEY_LOCAL_MACHINE
  std::string userHive;          // HKEY_CURRENT_USER
  std::string virtualStoreHive;  // this user's HKEY_LOCAL_MACHINE\Software when virtualized
  std::string machineAutostartDir;
  std::string userAutostartDir;
  bool mayWriteMachine = false;
};

// The registry kept in hive files. A process that may not write the machine hive has its
// writes under HKEY_LOCAL_MACHINE\Software virtualized into a per-user store, whose values
// its reads then prefer; its writes elsewhere under HKEY_LOCAL_MACHINE are refused. The Run
// value of the program is mirrored as a login autostart entry.
class HiveRegistry : public Registry {
 public:
  explicit HiveRegistry(HiveLocations locations);

  Result<std::unique_ptr<RegistryKey>> Open(RootKey root, const std::string& path, bool create) override;
  // Refuses the Run value, whose autostart entry only a write of its own keeps in step.
  Result<void> WriteValues(RootKey root, const std::string& path, const std::vector<NamedValue>& values) override;

  // The values of the key as reads see them; nullopt when the key does not exist.
  std::optional<std::vector<HiveValue>> Values(RootKey root, const std::string& path);

  enum class KeyDeletion { Deleted, NotFound };
  // Removes the key with everything beneath it; a failure when that is refused.
  Result<KeyDeletion> DeleteKey(RootKey root, const std::string& path);

  // What an open key does, by root and path, for tools that hold no key. A refusal says why
  // in words for the user (a bad name, a Run value that no autostart entry can carry, a full
  // disk, a read-only file system, a want of rights).
  std::optional<RegValue> ReadValue(RootKey root, const std::string& path, const std::string& name);
  Result<void> WriteValue(RootKey root, const std::string& path, const std::string& name, const RegValue& value);
  Result<void> DeleteValue(RootKey root, const std::string& path, const std::string& name);

 private:
  // The file a write goes to and the autostart folder that mirrors it there.
  struct WriteTarget {
    HiveFile* file = nullptr;
    const std::string* autostartDir = nullptr;
  };

  bool IsVirtualized(RootKey root, const std::string& path) const;
  std::vector<const HiveFile*> ReadOrder(RootKey root, const std::string& path) const;
  Result<WriteTarget> TargetFor(RootKey root, const std::string& path);
  bool KeyExists(RootKey root, const std::string& path) const;

  HiveLocations locations_;
  HiveFile machine_;
  HiveFile user_;
  HiveFile virtualStore_;
};

}  // namespace nv
