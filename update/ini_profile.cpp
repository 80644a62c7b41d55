#include "update/ini_profile.h"

#include <fstream>
#include <iterator>
#include <optional>

namespace nv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

// Lines end at "\r\n", "\n" or a lone "\r", as Windows accepts all three.
class Lines {
 public:
  explicit Lines(std::string_view text) : rest_(text) {}
  std::optional<std::string_view> Next() {
    if (done_) return std::nullopt;
    const auto end = rest_.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      done_ = true;
      return rest_;
    }
    const auto line = rest_.substr(0, end);
    const size_t skip = rest_.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    rest_.remove_prefix(end + skip);
    return line;
  }

 private:
  std::string_view rest_;
  bool done_ = false;
};

// The name of a section header line "[name]", or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  if (line.empty() || line.front() != '[') return std::nullopt;
  const auto close = line.rfind(']');
  if (close == std::string_view::npos || close == 0) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

std::string ValueText(std::string_view raw) {
  auto value = Trim(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  value = value.substr(0, value.find('\0'));
  return std::string(value.substr(0, kProfileValueMax));
}

std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return text;
}

}  // namespace

std::string FindProfileString(std::string_view text, std::string_view section, std::string_view key,
                              const std::string& defaultValue) {
  Lines lines(WithoutByteOrderMark(text));
  bool inSection = false;
  bool sectionSeen = false;
  while (auto raw = lines.Next()) {
    const auto line = Trim(*raw);
    if (const auto name = SectionName(line)) {
      if (sectionSeen) break;
      inSection = SameName(*name, section);
      sectionSeen = inSection;
      continue;
    }
    if (!inSection || line.empty()) continue;
    const auto equals = line.find('=');
    if (!SameName(Trim(line.substr(0, equals)), key)) continue;
    return equals == std::string_view::npos ? defaultValue : ValueText(line.substr(equals + 1));
  }
  return defaultValue;
}

std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, const std::string& defaultValue) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return defaultValue;
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return FindProfileString(text, section, key, defaultValue);
}

}  // namespace nv
