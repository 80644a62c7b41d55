#include "platform/linux/system/text_fields.h"

#include <algorithm>

namespace nv {

std::string_view NextField(std::string_view& rest) {
  const size_t begin = rest.find_first_not_of(' ');
  if (begin == std::string_view::npos) {
    rest = {};
    return {};
  }
  rest.remove_prefix(begin);
  const size_t end = std::min(rest.find(' '), rest.size());
  const std::string_view field = rest.substr(0, end);
  rest.remove_prefix(end);
  return field;
}

bool KeyedNumber(std::string_view line, std::string_view key, uint64_t& value) {
  if (!line.starts_with(key) || line.size() <= key.size()) return false;
  std::string_view rest = line.substr(key.size());
  if (rest.front() == ':') rest.remove_prefix(1);
  else if (rest.front() != ' ') return false;
  const size_t begin = rest.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return false;
  rest.remove_prefix(begin);
  return ToNumber(rest.substr(0, rest.find_first_not_of("0123456789")), value);
}

}  // namespace nv
