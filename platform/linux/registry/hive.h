#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace nv {

// Names of keys and values compare as the registry compares them: without regard to the
// case of ASCII letters.
bool SameRegistryName(std::string_view a, std::string_view b);
// The name in the form that SameRegistryName compares.
std::string FoldRegistryName(std::string_view name);
// True when `path` is `ancestor` itself or lies beneath it ("" is the root of a hive).
bool IsRegistryPathWithin(std::string_view path, std::string_view ancestor);

struct HiveValue {
  std::string name;  // "" is the key's default value
  RegValue value;
  bool operator==(const HiveValue&) const = default;
};

struct HiveKey {
  std::string path;  // relative to the hive's root, components joined by '\'
  std::vector<HiveValue> values;
  bool operator==(const HiveKey&) const = default;
};

// The keys of one hive in the order they were created. Keys and values keep the spelling
// they were first written with.
class Hive {
 public:
  Hive() = default;
  // Keys whose paths, and the names of whose values, are already unique.
  explicit Hive(std::vector<HiveKey> keys) : keys_(std::move(keys)) {}

  const std::vector<HiveKey>& Keys() const { return keys_; }

  const HiveKey* FindKey(std::string_view path) const;
  // A key exists when it was created or when some key beneath it was.
  bool KeyExists(std::string_view path) const;
  const RegValue* FindValue(std::string_view path, std::string_view name) const;

  // The key, created when missing; whether it had to be created goes to `created`.
  HiveKey& CreateKey(std::string_view path, bool* created = nullptr);
  // Sets the value, creating the key; false when it already held exactly this value.
  bool SetValue(std::string_view path, std::string_view name, const RegValue& value);
  // false when there was no such value.
  bool DeleteValue(std::string_view path, std::string_view name);
  // Removes the key with every key beneath it; false when none of them existed.
  bool DeleteKeyTree(std::string_view path);

  bool operator==(const Hive&) const = default;

 private:
  HiveKey* FindKeyMutable(std::string_view path);
  std::vector<HiveKey> keys_;
};

}  // namespace nv
