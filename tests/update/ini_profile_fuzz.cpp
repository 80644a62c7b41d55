// libFuzzer target: any downloaded text reads to a value of at most 2047 characters without a
// zero byte or a line break, and reading the same text again gives the same value.
#include <cstdint>
#include <string>
#include <string_view>

#include "update/ini_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string value = nv::FindProfileString(text, "Version", "Ver", "\x01");
  if (value.size() > nv::kProfileValueMax) __builtin_trap();
  if (value.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) __builtin_trap();
  if (nv::FindProfileString(text, "VERSION", "ver", "\x01") != value) __builtin_trap();
  return 0;
}
