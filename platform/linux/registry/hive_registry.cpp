#include "platform/linux/registry/hive_registry.h"

#include <algorithm>
#include <functional>

#include "platform/linux/registry/autostart_entry.h"

namespace nv {

namespace {

constexpr const char* kMachineRootName = "HKEY_LOCAL_MACHINE";
constexpr const char* kUserRootName = "HKEY_CURRENT_USER";
constexpr std::string_view kVirtualizedSubtree = "Software";
constexpr char kAccessDenied[] = "Access is denied.";
constexpr char kNoSuchRoot[] = "This system has no such root key.";
constexpr char kInvalidName[] = "The name is not valid: a registry name holds no line break and no NUL character.";

// Names that the hive text could not carry.
bool IsValidName(const std::string& name) { return name.find_first_of(std::string("\n\0", 2)) == std::string::npos; }

bool IsValidKeyPath(const std::string& path) {
  if (path.empty()) return true;
  return IsValidName(path) && path.front() != '\\' && path.back() != '\\' && path.find("\\\\") == std::string::npos;
}

bool IsAutostartValue(RootKey root, const std::string& path, const std::string& name) {
  return root == RootKey::HKeyLocalMachine && SameRegistryName(path, kRunKeyPath) &&
         SameRegistryName(name, kAutostartValueName);
}

bool Startable(const RegValue& value) {
  return (value.type == reg::Sz || value.type == reg::ExpandSz) && !value.AsString().empty();
}

// The autostart entry as the Run value `value` asks: written for a value that starts a
// program, gone for none or any other.
Result<void> MirrorRunValue(const std::string& autostartDir, const RegValue* value) {
  const AutostartFolder folder(autostartDir);
  return value && Startable(*value) ? folder.Set(value->AsString()) : folder.Remove();
}

// Applies `change` to the hive and the Run value `after` to the autostart entry, both or
// neither: the entry first, and when the hive then cannot be written, the entry goes back to
// what the hive still says. Otherwise a failed write would leave the program starting at login
// against its setting, or the setting saying it starts when it does not.
Result<void> ChangeMirrored(HiveFile& file, const std::string& autostartDir, const RegValue* after,
                            const std::function<bool(Hive&)>& change) {
  const auto before = file.Load();
  if (auto mirrored = MirrorRunValue(autostartDir, after); !mirrored) return mirrored;
  auto written = file.Update(change);
  if (!written) (void)MirrorRunValue(autostartDir, before->FindValue(kRunKeyPath, kAutostartValueName));
  return written;
}

class HiveKeyHandle : public RegistryKey {
 public:
  HiveKeyHandle(HiveRegistry& registry, RootKey root, std::string path)
      : registry_(registry), root_(root), path_(std::move(path)) {}

  std::optional<RegValue> Read(const std::string& name) override { return registry_.ReadValue(root_, path_, name); }
  Result<void> Write(const std::string& name, const RegValue& value) override {
    return registry_.WriteValue(root_, path_, name, value);
  }
  Result<void> Delete(const std::string& name) override { return registry_.DeleteValue(root_, path_, name); }

 private:
  HiveRegistry& registry_;
  RootKey root_;
  std::string path_;
};

}  // namespace

HiveRegistry::HiveRegistry(HiveLocations locations)
    : locations_(std::move(locations)),
      machine_(locations_.machineHive, kMachineRootName),
      user_(locations_.userHive, kUserRootName),
      virtualStore_(locations_.virtualStoreHive, kMachineRootName) {}

bool HiveRegistry::IsVirtualized(RootKey root, const std::string& path) const {
  return root == RootKey::HKeyLocalMachine && !locations_.mayWriteMachine &&
         IsRegistryPathWithin(path, kVirtualizedSubtree);
}

std::vector<const HiveFile*> HiveRegistry::ReadOrder(RootKey root, const std::string& path) const {
  switch (root) {
    case RootKey::HKeyCurrentUser:
      return {&user_};
    case RootKey::HKeyLocalMachine:
      if (IsVirtualized(root, path)) return {&virtualStore_, &machine_};
      return {&machine_};
    default:
      return {};
  }
}

Result<HiveRegistry::WriteTarget> HiveRegistry::TargetFor(RootKey root, const std::string& path) {
  switch (root) {
    case RootKey::HKeyCurrentUser:
      return WriteTarget{&user_, nullptr};
    case RootKey::HKeyLocalMachine:
      if (locations_.mayWriteMachine) return WriteTarget{&machine_, &locations_.machineAutostartDir};
      if (IsVirtualized(root, path)) return WriteTarget{&virtualStore_, &locations_.userAutostartDir};
      return Failure{kAccessDenied};
    default:
      return Failure{kNoSuchRoot};
  }
}

bool HiveRegistry::KeyExists(RootKey root, const std::string& path) const {
  if (path.empty()) return true;  // a root key always exists
  for (const HiveFile* file : ReadOrder(root, path))
    if (file->Load()->KeyExists(path)) return true;
  return false;
}

Result<std::unique_ptr<RegistryKey>> HiveRegistry::Open(RootKey root, const std::string& path, bool create) {
  if (root == RootKey::HKeyDynData) return Failure{kNoSuchRoot};
  if (!IsValidKeyPath(path)) return Failure{kInvalidName};
  if (!KeyExists(root, path)) {
    if (!create) return Failure{"The key \"" + path + "\" does not exist."};
    const auto target = TargetFor(root, path);
    if (!target) return target.error();
    const auto created = target->file->Update([&](Hive& hive) {
      bool made = false;
      if (!hive.KeyExists(path)) hive.CreateKey(path, &made);
      return made;
    });
    if (!created) return created.error();
  }
  return std::unique_ptr<RegistryKey>(std::make_unique<HiveKeyHandle>(*this, root, path));
}

std::optional<RegValue> HiveRegistry::ReadValue(RootKey root, const std::string& path, const std::string& name) {
  for (const HiveFile* file : ReadOrder(root, path)) {
    const auto hive = file->Load();
    if (const RegValue* value = hive->FindValue(path, name)) return *value;
  }
  return std::nullopt;
}

Result<void> HiveRegistry::WriteValue(RootKey root, const std::string& path, const std::string& name,
                                      const RegValue& value) {
  const auto target = TargetFor(root, path);
  if (!target) return target.error();
  if (!IsValidKeyPath(path) || !IsValidName(name)) return Failure{kInvalidName};
  const auto change = [&](Hive& hive) { return hive.SetValue(path, name, value); };
  if (!IsAutostartValue(root, path, name) || !target->autostartDir) return target->file->Update(change);
  // Refused before the hive changes: a Run value that no entry mirrors would say the program
  // starts at login when it does not.
  if (Startable(value) && !AutostartDesktopEntry(value.AsString())) return Failure{kUnstartableRunValue};
  return ChangeMirrored(*target->file, *target->autostartDir, &value, change);
}

Result<void> HiveRegistry::WriteValues(RootKey root, const std::string& path, const std::vector<NamedValue>& values) {
  const auto target = TargetFor(root, path);
  if (!target) return target.error();
  if (!IsValidKeyPath(path)) return Failure{kInvalidName};
  for (const auto& v : values) {
    if (!IsValidName(v.name)) return Failure{kInvalidName};
    if (IsAutostartValue(root, path, v.name) && target->autostartDir) return Failure{kAccessDenied};
  }
  return target->file->Update([&](Hive& hive) {
    bool changed = false;
    for (const auto& v : values) changed |= hive.SetValue(path, v.name, v.value);
    return changed;
  });
}

Result<void> HiveRegistry::DeleteValue(RootKey root, const std::string& path, const std::string& name) {
  const auto target = TargetFor(root, path);
  if (target) {
    const auto change = [&](Hive& hive) { return hive.DeleteValue(path, name); };
    const bool mirrored = IsAutostartValue(root, path, name) && target->autostartDir;
    if (auto deleted = mirrored ? ChangeMirrored(*target->file, *target->autostartDir, nullptr, change)
                                : target->file->Update(change);
        !deleted)
      return deleted;
  }
  // A value that a write could not reach (the machine's, seen through the virtual store)
  // is still there.
  if (!ReadValue(root, path, name)) return {};
  return target ? Failure{kAccessDenied} : target.error();
}

std::optional<std::vector<HiveValue>> HiveRegistry::Values(RootKey root, const std::string& path) {
  if (root == RootKey::HKeyDynData || !IsValidKeyPath(path)) return std::nullopt;
  std::optional<std::vector<HiveValue>> merged;
  if (path.empty()) merged.emplace();
  for (const HiveFile* file : ReadOrder(root, path)) {
    const auto hive = file->Load();
    if (!hive->KeyExists(path)) continue;
    if (!merged) merged.emplace();
    const HiveKey* key = hive->FindKey(path);
    if (!key) continue;
    for (const auto& v : key->values) {
      const bool shadowed = std::any_of(merged->begin(), merged->end(),
                                        [&](const HiveValue& seen) { return SameRegistryName(seen.name, v.name); });
      if (!shadowed) merged->push_back(v);
    }
  }
  return merged;
}

Result<HiveRegistry::KeyDeletion> HiveRegistry::DeleteKey(RootKey root, const std::string& path) {
  if (root == RootKey::HKeyDynData || !IsValidKeyPath(path)) return KeyDeletion::NotFound;
  if (!KeyExists(root, path)) return KeyDeletion::NotFound;
  const auto target = TargetFor(root, path);
  if (!target) return target.error();
  const auto change = [&](Hive& hive) { return hive.DeleteKeyTree(path); };
  const bool mirrored = root == RootKey::HKeyLocalMachine && IsRegistryPathWithin(std::string(kRunKeyPath), path) &&
                        target->autostartDir;
  if (const auto deleted = mirrored ? ChangeMirrored(*target->file, *target->autostartDir, nullptr, change)
                                    : target->file->Update(change);
      !deleted)
    return deleted.error();
  if (KeyExists(root, path)) return Failure{kAccessDenied};
  return KeyDeletion::Deleted;
}

}  // namespace nv
