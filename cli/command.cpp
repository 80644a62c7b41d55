#include "cli/command.h"

namespace nv::cli {

int Usage(std::ostream& err, std::string_view synopsis) {
  err << "usage: norvane-cli " << synopsis << '\n';
  return kUsageExit;
}

std::string PlainField(std::string text) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return text;
}

void WriteReportLines(const std::string& text, std::ostream& out) {
  size_t begin = 0;
  for (size_t end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
    out << std::string_view(text).substr(begin, end - begin) << '\n';
  out << std::string_view(text).substr(begin) << '\n';
}

}  // namespace nv::cli
