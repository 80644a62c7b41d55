#include "platform/linux/registry/hive_encoding.h"

#include <algorithm>

#include "platform/linux/registry/hive_text.h"

namespace nv {

namespace {

constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

void AppendUtf8(std::string& out, char32_t point) {
  if (point < 0x80) {
    out.push_back(static_cast<char>(point));
  } else if (point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (point >> 6)));
    out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else if (point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
  }
}

[[noreturn]] void FailAt(const std::string& decoded, const std::string& reason) {
  throw HiveSyntaxError(static_cast<int>(std::count(decoded.begin(), decoded.end(), '\n')) + 1, reason);
}

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  const auto unitAt = [&](size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  };
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char16_t unit = unitAt(i);
    if (unit >= 0xDC00 && unit <= 0xDFFF) FailAt(out, "a UTF-16 low surrogate without its high surrogate");
    if (unit < 0xD800 || unit > 0xDBFF) {
      AppendUtf8(out, unit);
      continue;
    }
    const char16_t low = i + 3 < bytes.size() ? unitAt(i + 2) : 0;
    if (low < 0xDC00 || low > 0xDFFF) FailAt(out, "a UTF-16 high surrogate without its low surrogate");
    AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00));
    i += 2;
  }
  if (i < bytes.size()) FailAt(out, "the UTF-16 text ends in half a character");
  return out;
}

}  // namespace

bool IsUtf16LeText(std::string_view fileBytes) { return fileBytes.starts_with(kUtf16LeBom); }

std::string Utf16LeTextToUtf8(std::string_view fileBytes) {
  return Utf16LeToUtf8(fileBytes.substr(kUtf16LeBom.size()));
}

}  // namespace nv
