// libFuzzer target: any text either is refused with a syntax error or reads into a hive that
// writes back to a text reading into the very same hive.
#include <cstdint>
#include <string_view>

#include "platform/linux/registry/hive_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
  nv::Hive hive;
  try {
    hive = nv::ParseHive(std::string_view(reinterpret_cast<const char*>(data), size), kRoot);
  } catch (const nv::HiveSyntaxError&) {
    return 0;
  }
  // A syntax error here escapes and aborts: the writer produced a text the reader refuses.
  if (!(nv::ParseHive(nv::FormatHive(hive, kRoot), kRoot) == hive)) __builtin_trap();
  return 0;
}
