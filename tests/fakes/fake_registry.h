#pragma once
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace nv::test {

// An in-memory registry: keys and value names compare without regard to case. Keys or
// values listed in `refused` fail to open or to be written, as a registry without rights does.
class FakeRegistry : public Registry {
 public:
  static std::string Fold(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
  }
  static std::string KeyName(RootKey root, const std::string& path) {
    return std::to_string(static_cast<int>(root)) + "\\" + Fold(path);
  }

  std::map<std::string, std::map<std::string, RegValue>> keys;  // folded key -> folded name
  std::set<std::string> refusedKeys;                            // folded key names
  std::set<std::string> refusedWrites;                          // folded value names
  int writes = 0;

  void Set(RootKey root, const std::string& path, const std::string& name, RegValue v) {
    keys[KeyName(root, path)][Fold(name)] = std::move(v);
  }
  const RegValue* Get(RootKey root, const std::string& path, const std::string& name) const {
    auto k = keys.find(KeyName(root, path));
    if (k == keys.end()) return nullptr;
    auto v = k->second.find(Fold(name));
    return v == k->second.end() ? nullptr : &v->second;
  }

  Result<std::unique_ptr<RegistryKey>> Open(RootKey root, const std::string& path, bool create) override {
    const auto name = KeyName(root, path);
    if (refusedKeys.count(name)) return Failure{"the key " + path + " is refused"};
    if (!keys.count(name)) {
      if (!create) return Failure{"there is no key " + path};
      keys[name];
    }
    return std::make_unique<Key>(*this, name);
  }

  // One write for the lot, or none when a value is refused.
  Result<void> WriteValues(RootKey root, const std::string& path, const std::vector<NamedValue>& values) override {
    const auto name = KeyName(root, path);
    if (refusedKeys.count(name)) return Failure{"the key " + path + " is refused"};
    for (const auto& v : values)
      if (refusedWrites.count(Fold(v.name))) return Failure{"the value " + v.name + " is refused"};
    auto& stored = keys[name];
    bool changed = false;
    for (const auto& v : values) {
      auto [it, added] = stored.emplace(Fold(v.name), v.value);
      if (!added && it->second == v.value) continue;
      it->second = v.value;
      changed = true;
    }
    if (changed) ++writes;
    return {};
  }

 private:
  class Key : public RegistryKey {
   public:
    Key(FakeRegistry& reg, std::string name) : reg_(reg), name_(std::move(name)) {}
    std::optional<RegValue> Read(const std::string& value) override {
      auto& values = reg_.keys[name_];
      auto it = values.find(Fold(value));
      if (it == values.end()) return std::nullopt;
      return it->second;
    }
    Result<void> Write(const std::string& value, const RegValue& v) override {
      if (reg_.refusedWrites.count(Fold(value))) return Failure{"the value " + value + " is refused"};
      reg_.keys[name_][Fold(value)] = v;
      ++reg_.writes;
      return {};
    }
    Result<void> Delete(const std::string& value) override {
      reg_.keys[name_].erase(Fold(value));
      return {};
    }

   private:
    FakeRegistry& reg_;
    std::string name_;
  };
};

}  // namespace nv::test
