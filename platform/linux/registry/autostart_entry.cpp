#include "platform/linux/registry/autostart_entry.h"

#include <system_error>

#include "platform/linux/registry/durable_file.h"

namespace nv {

namespace {

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    uint32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

// A value of the string type: the backslash is its only escape needed here (control characters
// are refused before), and a leading blank would be dropped unless written as \s.
std::string DesktopString(std::string_view text) {
  std::string escaped;
  for (char c : text) escaped += c == '\\' ? "\\\\" : std::string(1, c);
  if (!escaped.empty() && escaped.front() == ' ') escaped.replace(0, 1, "\\s");
  return escaped;
}

}  // namespace

std::string QuoteExecArgument(std::string_view program) {
  // Inside a quoted argument ", `, $ and \ take a backslash; % stands for a field code
  // unless doubled. The string escapes of the file then double every backslash.
  std::string quoted = "\"";
  for (char c : program) {
    if (c == '"' || c == '`' || c == '$') {
      quoted += "\\\\";
    } else if (c == '\\') {
      quoted += "\\\\\\";
    } else if (c == '%') {
      quoted += '%';
    }
    quoted += c;
  }
  return quoted + "\"";
}

std::optional<std::string> AutostartDesktopEntry(std::string_view program) {
  if (program.empty() || !IsValidUtf8(program)) return std::nullopt;
  for (char c : program)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" + std::string(kAutostartValueName) + "\n"
         "Comment=Memory optimizer in the notification area\n"
         // A desktop skips the entry once the program is gone (removed, or its package purged).
         "TryExec=" + DesktopString(program) + "\n"
         "Exec=" + QuoteExecArgument(program) + "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

std::string AutostartFolder::EntryPath() const { return dir_ + "/" + std::string(kAutostartFileName); }

Result<void> AutostartFolder::Set(std::string_view program) const {
  const auto entry = AutostartDesktopEntry(program);
  if (!entry) return Failure{kUnstartableRunValue};
  try {
    MakeDirectories(dir_, 0755);
    WriteFileAtomically(EntryPath(), *entry, 0644);
    return {};
  } catch (const std::system_error& e) {
    return Failure{"Cannot write the autostart entry: " + std::string(e.what()), e.code().value()};
  }
}

Result<void> AutostartFolder::Remove() const {
  try {
    RemoveFileDurably(EntryPath());
    return {};
  } catch (const std::system_error& e) {
    return Failure{"Cannot remove the autostart entry: " + std::string(e.what()), e.code().value()};
  }
}

}  // namespace nv
