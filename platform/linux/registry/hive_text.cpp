#include "platform/linux/registry/hive_text.h"

#include <cstdio>
#include <unordered_map>

#include "platform/linux/registry/hive_encoding.h"

namespace nv {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameRegistryName(text.substr(0, prefix.size()), prefix);
}

// The physical lines of the text; every line, the last one too, must end with a line feed,
// so that a file cut off in the middle of a line is told apart from a whole one.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}

  bool Next(std::string_view& line) {
    if (rest_.empty()) return false;
    ++number_;
    const auto end = rest_.find('\n');
    if (end == std::string_view::npos) throw HiveSyntaxError(number_, "the line is cut off (the file ends without a line end)");
    line = rest_.substr(0, end);
    rest_.remove_prefix(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }
  int Number() const { return number_; }
  [[noreturn]] void Fail(const std::string& reason) const { throw HiveSyntaxError(number_, reason); }

 private:
  std::string_view rest_;
  int number_ = 0;
};

class HiveParser {
 public:
  HiveParser(std::string_view text, std::string_view rootName) : lines_(text), root_(rootName) {}

  Hive Parse() {
    ReadHeader();
    while (lines_.Next(line_)) {
      pos_ = 0;
      SkipBlanks();
      if (AtEnd() || line_[pos_] == ';') continue;
      if (line_[pos_] == '[') {
        ReadKeyLine();
      } else if (line_[pos_] == '"' || line_[pos_] == '@') {
        ReadValueLine();
      } else {
        lines_.Fail("unrecognised line");
      }
    }
    return Hive(std::move(keys_));
  }

 private:
  bool AtEnd() const { return pos_ >= line_.size(); }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(line_[pos_])) ++pos_;
  }
  void ExpectLineEnd() {
    SkipBlanks();
    if (!AtEnd()) lines_.Fail("unexpected text at the end of the line");
  }

  void ReadHeader() {
    if (!lines_.Next(line_)) throw HiveSyntaxError(1, "the file is empty (the header is missing)");
    if (line_.substr(0, kUtf8Bom.size()) == kUtf8Bom) line_.remove_prefix(kUtf8Bom.size());
    while (!line_.empty() && IsBlank(line_.back())) line_.remove_suffix(1);
    if (line_ != kHiveHeader) lines_.Fail("the header \"" + std::string(kHiveHeader) + "\" is missing");
  }

  void ReadKeyLine() {
    const auto close = line_.rfind(']');
    if (close == std::string_view::npos || close < pos_) lines_.Fail("the key name has no closing ']'");
    const std::string_view name = line_.substr(pos_ + 1, close - pos_ - 1);
    pos_ = close + 1;
    ExpectLineEnd();
    if (!StartsWithFolded(name, root_) || (name.size() > root_.size() && name[root_.size()] != '\\'))
      lines_.Fail("the key is not under " + std::string(root_));
    const std::string_view path = name.size() > root_.size() ? name.substr(root_.size() + 1) : std::string_view();
    if (name.size() > root_.size() && (path.empty() || path.back() == '\\' || path.find("\\\\") != std::string_view::npos))
      lines_.Fail("the key path has an empty name in it");
    // Repeated keys merge, as an import of the file would merge them.
    const auto [at, added] = keyIndex_.try_emplace(FoldRegistryName(path), keys_.size());
    if (added) {
      keys_.push_back(HiveKey{std::string(path), {}});
      valueIndex_.emplace_back();
    }
    currentKey_ = at->second;
  }

  void ReadValueLine() {
    if (keys_.empty()) lines_.Fail("a value before the first key");
    std::string name;
    if (line_[pos_] == '@') {
      ++pos_;
    } else {
      name = ReadQuoted();
    }
    SkipBlanks();
    if (AtEnd() || line_[pos_] != '=') lines_.Fail("'=' expected after the value name");
    ++pos_;
    SkipBlanks();
    RegValue value = ReadData();
    // A repeated value name replaces the earlier value, keeping the first spelling.
    auto& values = keys_[currentKey_].values;
    const auto [at, added] = valueIndex_[currentKey_].try_emplace(FoldRegistryName(name), values.size());
    if (added) {
      values.push_back(HiveValue{std::move(name), std::move(value)});
    } else {
      values[at->second].value = std::move(value);
    }
  }

  // A text in double quotes where only \\ and \" are escapes.
  std::string ReadQuoted() {
    std::string text;
    for (++pos_; !AtEnd(); ++pos_) {
      const char c = line_[pos_];
      if (c == '"') {
        ++pos_;
        return text;
      }
      if (c == '\\') {
        if (++pos_ == line_.size()) break;
        if (line_[pos_] != '\\' && line_[pos_] != '"') lines_.Fail(std::string("unknown escape \\") + line_[pos_]);
      }
      text.push_back(line_[pos_]);
    }
    lines_.Fail("the closing '\"' is missing");
  }

  RegValue ReadData() {
    const std::string_view rest = line_.substr(pos_);
    if (!rest.empty() && rest[0] == '"') {
      RegValue value = RegValue::String(ReadQuoted());
      ExpectLineEnd();
      return value;
    }
    if (StartsWithFolded(rest, "dword:")) {
      pos_ += 6;
      return RegValue::Dword(ReadDwordDigits());
    }
    RegValue value;
    if (StartsWithFolded(rest, "hex:")) {
      value.type = reg::Binary;
      pos_ += 4;
    } else if (StartsWithFolded(rest, "hex(")) {
      pos_ += 4;
      value.type = ReadTypeNumber();
    } else {
      lines_.Fail("unrecognised value data");
    }
    value.data = ReadHexBytes();
    return value;
  }

  uint32_t ReadDwordDigits() {
    uint32_t number = 0;
    for (int i = 0; i < 8; ++i, ++pos_) {
      const int digit = AtEnd() ? -1 : HexDigit(line_[pos_]);
      if (digit < 0) lines_.Fail("dword: needs eight hexadecimal digits");
      number = number << 4 | static_cast<uint32_t>(digit);
    }
    ExpectLineEnd();
    return number;
  }

  // The n of "hex(n):", one to eight hexadecimal digits.
  uint32_t ReadTypeNumber() {
    uint32_t type = 0;
    int digits = 0;
    for (; !AtEnd() && HexDigit(line_[pos_]) >= 0; ++pos_, ++digits) {
      if (digits == 8) lines_.Fail("the value type is out of range");
      type = type << 4 | static_cast<uint32_t>(HexDigit(line_[pos_]));
    }
    if (digits == 0 || line_.substr(pos_, 2) != "):") lines_.Fail("bad value type in hex(...):");
    pos_ += 2;
    return type;
  }

  // Two-digit bytes separated by commas; a line ending in '\' continues on the next line.
  std::vector<uint8_t> ReadHexBytes() {
    std::vector<uint8_t> bytes;
    bool afterComma = false;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) {
        if (afterComma) lines_.Fail("a byte is missing after ','");
        return bytes;
      }
      if (line_[pos_] == '\\' && (bytes.empty() || afterComma)) {
        ++pos_;
        SkipBlanks();
        if (!AtEnd()) lines_.Fail("unexpected text after '\\'");
        if (!lines_.Next(line_)) lines_.Fail("the value continues past the end of the file");
        pos_ = 0;
        continue;
      }
      const int high = HexDigit(line_[pos_]);
      const int low = pos_ + 1 < line_.size() ? HexDigit(line_[pos_ + 1]) : -1;
      if (high < 0 || low < 0) lines_.Fail("bad hexadecimal byte");
      bytes.push_back(static_cast<uint8_t>(high << 4 | low));
      pos_ += 2;
      SkipBlanks();
      if (AtEnd()) return bytes;
      if (line_[pos_] != ',') lines_.Fail("',' expected between bytes");
      ++pos_;
      afterComma = true;
    }
  }

  LineReader lines_;
  std::string_view root_;
  std::string_view line_;
  size_t pos_ = 0;
  std::vector<HiveKey> keys_;
  std::unordered_map<std::string, size_t> keyIndex_;                   // folded path -> key
  std::vector<std::unordered_map<std::string, size_t>> valueIndex_;  // per key: folded name -> value
  size_t currentKey_ = 0;
};

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

// A REG_SZ is written as quoted text when its bytes are text closed by one zero and free of
// line ends; any other string keeps its exact bytes in hex(1):.
bool IsPlainText(const RegValue& value) {
  const auto& d = value.data;
  if (value.type != reg::Sz || d.empty() || d.back() != 0) return false;
  for (size_t i = 0; i + 1 < d.size(); ++i)
    if (d[i] == 0 || d[i] == '\n' || d[i] == '\r') return false;
  return true;
}

void AppendData(std::string& out, const RegValue& value) {
  char buffer[24];
  if (IsPlainText(value)) {
    AppendQuoted(out, value.AsString());
    return;
  }
  if (value.type == reg::Dword && value.data.size() == 4) {
    std::snprintf(buffer, sizeof buffer, "dword:%08x", value.AsDword());
    out += buffer;
    return;
  }
  if (value.type == reg::Binary) {
    out += "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
    out += buffer;
  }
  // Wrapped as registry exports wrap long lines: a trailing '\' and two blanks of indent.
  size_t column = out.size() - out.rfind('\n') - 1;
  static constexpr char kDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < value.data.size(); ++i) {
    out.push_back(kDigits[value.data[i] >> 4]);
    out.push_back(kDigits[value.data[i] & 0xF]);
    column += 2;
    if (i + 1 == value.data.size()) break;
    out.push_back(',');
    ++column;
    if (column >= 76) {
      out += "\\\n  ";
      column = 2;
    }
  }
}

}  // namespace

Hive ParseHive(std::string_view text, std::string_view rootName) {
  if (IsUtf16LeText(text)) return HiveParser(Utf16LeTextToUtf8(text), rootName).Parse();
  return HiveParser(text, rootName).Parse();
}

std::string FormatHive(const Hive& hive, std::string_view rootName) {
  std::string out(kHiveHeader);
  out.push_back('\n');
  for (const auto& key : hive.Keys()) {
    out += "\n[";
    out += rootName;
    if (!key.path.empty()) out += "\\" + key.path;
    out += "]\n";
    for (const auto& v : key.values) {
      if (v.name.empty()) {
        out.push_back('@');
      } else {
        AppendQuoted(out, v.name);
      }
      out.push_back('=');
      AppendData(out, v.value);
      out.push_back('\n');
    }
  }
  return out;
}

}  // namespace nv
