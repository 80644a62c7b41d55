#include "platform/error.h"
#include "platform/registry.h"

namespace nv {

std::string FormatText(const std::string& pattern, const std::string& arg) {
  const auto at = pattern.find("%s");
  if (at == std::string::npos) return pattern;
  return pattern.substr(0, at) + arg + pattern.substr(at + 2);
}

RegValue RegValue::String(const std::string& text, uint32_t type) {
  RegValue v;
  v.type = type;
  v.data.assign(text.begin(), text.end());
  v.data.push_back(0);
  return v;
}

RegValue RegValue::Dword(uint32_t value) {
  RegValue v;
  v.type = reg::Dword;
  for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return v;
}

RegValue RegValue::Binary(std::vector<uint8_t> bytes) {
  RegValue v;
  v.type = reg::Binary;
  v.data = std::move(bytes);
  return v;
}

std::string RegValue::AsString() const {
  std::string s;
  for (uint8_t b : data) {
    if (b == 0) break;
    s.push_back(static_cast<char>(b));
  }
  return s;
}

uint32_t RegValue::AsDword() const {
  uint32_t v = 0;
  for (size_t i = 0; i < 4 && i < data.size(); ++i) v |= uint32_t(data[i]) << (8 * i);
  return v;
}

}  // namespace nv
