#include "platform/linux/registry/hive.h"

#include <algorithm>

namespace nv {

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameRegistryName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

std::string FoldRegistryName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = FoldAscii(c);
  return folded;
}

bool IsRegistryPathWithin(std::string_view path, std::string_view ancestor) {
  if (ancestor.empty()) return true;
  if (path.size() < ancestor.size() || !SameRegistryName(path.substr(0, ancestor.size()), ancestor)) return false;
  return path.size() == ancestor.size() || path[ancestor.size()] == '\\';
}

const HiveKey* Hive::FindKey(std::string_view path) const {
  for (const auto& key : keys_)
    if (SameRegistryName(key.path, path)) return &key;
  return nullptr;
}

HiveKey* Hive::FindKeyMutable(std::string_view path) { return const_cast<HiveKey*>(FindKey(path)); }

bool Hive::KeyExists(std::string_view path) const {
  return std::any_of(keys_.begin(), keys_.end(), [&](const HiveKey& key) { return IsRegistryPathWithin(key.path, path); });
}

const RegValue* Hive::FindValue(std::string_view path, std::string_view name) const {
  const HiveKey* key = FindKey(path);
  if (!key) return nullptr;
  for (const auto& v : key->values)
    if (SameRegistryName(v.name, name)) return &v.value;
  return nullptr;
}

HiveKey& Hive::CreateKey(std::string_view path, bool* created) {
  HiveKey* key = FindKeyMutable(path);
  if (created) *created = key == nullptr;
  if (key) return *key;
  keys_.push_back(HiveKey{std::string(path), {}});
  return keys_.back();
}

bool Hive::SetValue(std::string_view path, std::string_view name, const RegValue& value) {
  bool created = false;
  HiveKey& key = CreateKey(path, &created);
  for (auto& v : key.values) {
    if (!SameRegistryName(v.name, name)) continue;
    if (v.value.type == value.type && v.value.data == value.data) return created;
    v.value = value;
    return true;
  }
  key.values.push_back(HiveValue{std::string(name), value});
  return true;
}

bool Hive::DeleteValue(std::string_view path, std::string_view name) {
  HiveKey* key = FindKeyMutable(path);
  if (!key) return false;
  const auto gone = std::remove_if(key->values.begin(), key->values.end(),
                                   [&](const HiveValue& v) { return SameRegistryName(v.name, name); });
  if (gone == key->values.end()) return false;
  key->values.erase(gone, key->values.end());
  return true;
}

bool Hive::DeleteKeyTree(std::string_view path) {
  const auto before = keys_.size();
  std::erase_if(keys_, [&](const HiveKey& key) { return IsRegistryPathWithin(key.path, path); });
  return keys_.size() != before;
}

}  // namespace nv
