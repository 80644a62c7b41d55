#pragma once
#include <string_view>

namespace nv {

// Byte-wise: the first differing byte decides as an unsigned value, a string is greater than
// its own prefix, equal strings are not greater. "2010.1.10" is therefore older than "2010.1.2".
bool IsNewerVersion(std::string_view remote, std::string_view installed);

}  // namespace nv
