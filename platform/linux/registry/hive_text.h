#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/linux/registry/hive.h"

namespace nv {

// The first line of every hive file.
inline constexpr std::string_view kHiveHeader = "Windows Registry Editor Version 5.00";

// A hive text that does not follow the format; `line` counts from 1.
class HiveSyntaxError : public std::runtime_error {
 public:
  HiveSyntaxError(int line, const std::string& reason)
      : std::runtime_error(reason), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// Reads a hive in the text format of registry exports whose keys all lie under the root
// named `rootName` (such as "HKEY_LOCAL_MACHINE"), in UTF-8 with or without a byte-order mark
// or in UTF-16LE with one. Throws HiveSyntaxError.
Hive ParseHive(std::string_view text, std::string_view rootName);

// Writes the hive so that ParseHive gives it back value for value, byte for byte.
std::string FormatHive(const Hive& hive, std::string_view rootName);

}  // namespace nv
