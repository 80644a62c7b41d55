#include "update/version_compare.h"

#include <algorithm>

namespace nv {

bool IsNewerVersion(std::string_view remote, std::string_view installed) {
  return std::lexicographical_compare(
      installed.begin(), installed.end(), remote.begin(), remote.end(),
      [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
}

}  // namespace nv
