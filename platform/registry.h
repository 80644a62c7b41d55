#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"

namespace nv {

// The value types, numbered as the registry numbers them (REG_SZ is 1 ...); scoped so that the
// Windows headers' REG_* macros cannot collide with them.
namespace reg {
enum Type : uint32_t {
  None = 0,
  Sz = 1,
  ExpandSz = 2,
  Binary = 3,
  Dword = 4,
  MultiSz = 7,
};
}  // namespace reg

// The roots HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_DYN_DATA.
enum class RootKey { HKeyLocalMachine, HKeyCurrentUser, HKeyDynData };

// A value as the registry stores it: its type and its raw bytes (strings carry their
// terminating zero, as the ANSI registry calls write them).
struct RegValue {
  uint32_t type = reg::None;
  std::vector<uint8_t> data;

  static RegValue String(const std::string& text, uint32_t type = reg::Sz);
  static RegValue Dword(uint32_t value);
  static RegValue Binary(std::vector<uint8_t> bytes);
  // The text up to the first zero byte.
  std::string AsString() const;
  // The first four bytes, little-endian; zero-filled when shorter.
  uint32_t AsDword() const;
  bool operator==(const RegValue&) const = default;
};

// A value with its name, for the writes that set several of a key's values at once.
struct NamedValue {
  std::string name;
  RegValue value;
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // nullopt when the value does not exist. Throws nv::Error when the hive cannot be read: a
  // registry error ends the operation in hand and the general error handler shows it.
  virtual std::optional<RegValue> Read(const std::string& name) = 0;
  // A failure, with the reason, when the write is refused. Throws nv::Error as Read does.
  virtual Result<void> Write(const std::string& name, const RegValue& value) = 0;
  // Succeeds when the value is gone afterwards (also when it never existed).
  virtual Result<void> Delete(const std::string& name) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // The key, created when missing and `create` is set. Throws nv::Error as Read does.
  virtual Result<std::unique_ptr<RegistryKey>> Open(RootKey root, const std::string& path, bool create) = 0;
  // Sets `values` in the key, created when missing, as one change that lands whole or not at
  // all: one write where a value at a time would make one each. Values equal to the stored ones
  // write nothing. Throws nv::Error as Read does.
  virtual Result<void> WriteValues(RootKey root, const std::string& path, const std::vector<NamedValue>& values) = 0;
};

}  // namespace nv
