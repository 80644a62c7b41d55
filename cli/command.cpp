#include "cli/command.h"

namespace nv::cli {

int Usage(std::ostream& err, std::string_view synopsis) {
  err << "usage: norvane-cli " << synopsis << '\n';
  return kUsageExit;
}

namespace {

// Length of the UTF-8 sequence that starts `text`, or 0 when it is not a well-formed one.
size_t Utf8SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t length = 0;
  if (lead < 0x80) length = 1;
  else if (lead >= 0xC2 && lead < 0xE0) length = 2;
  else if (lead >= 0xE0 && lead < 0xF0) length = 3;
  else if (lead >= 0xF0 && lead < 0xF5) length = 4;
  if (length == 0 || length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
  return length;
}

char32_t CodePointOf(std::string_view sequence) {
  if (sequence.size() == 1) return static_cast<unsigned char>(sequence[0]);
  char32_t point = static_cast<unsigned char>(sequence[0]) & (0x7F >> sequence.size());
  for (size_t i = 1; i < sequence.size(); ++i) point = (point << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
  return point;
}

// Characters that make a terminal or a bidirectional text display something other than the
// bytes: C0 and C1 controls, DEL, and the marks, embeddings, overrides and isolates that
// reorder what follows them.
bool IsDisplayControl(char32_t point) {
  return point < 0x20 || (point >= 0x7F && point <= 0x9F) || point == 0x061C || point == 0x200E || point == 0x200F ||
         (point >= 0x202A && point <= 0x202E) || (point >= 0x2066 && point <= 0x2069);
}

}  // namespace

std::string PlainField(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  while (!text.empty()) {
    const size_t length = Utf8SequenceLength(text);
    // A byte outside any well-formed sequence is replaced too: a terminal in an 8-bit mode
    // reads 0x9B alone as the start of an escape sequence.
    if (length == 0 || IsDisplayControl(CodePointOf(text.substr(0, length)))) {
      plain += '?';
      text.remove_prefix(length == 0 ? 1 : length);
    } else {
      plain += text.substr(0, length);
      text.remove_prefix(length);
    }
  }
  return plain;
}

int PrivilegeMissingExit(const ReclaimOutcome* missing, std::ostream& err) {
  if (missing == nullptr) return 0;
  err << "norvane-cli: " << PrivilegeMissingWords(*missing) << '\n';
  return kPrivilegeMissingExit;
}

void WriteReportLines(const std::string& text, std::ostream& out) {
  size_t begin = 0;
  for (size_t end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
    out << std::string_view(text).substr(begin, end - begin) << '\n';
  out << std::string_view(text).substr(begin) << '\n';
}

}  // namespace nv::cli
