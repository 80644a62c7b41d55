#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/product.h"
#include "platform/result.h"

namespace nv {

// The file name of the entry that mirrors the Run value (platform/product.h).
inline constexpr std::string_view kAutostartFileName = "velqor-norvane.desktop";
inline constexpr char kUnstartableRunValue[] =
    "The Run value cannot start a program at login: its text is not UTF-8 or holds control characters.";

// `program` as one argument of a desktop entry's Exec key, escaped for the file.
std::string QuoteExecArgument(std::string_view program);

// The XDG desktop entry that starts `program` at the next graphical login; nullopt when the
// text cannot stand in a desktop entry (empty, not UTF-8, or holding control characters).
std::optional<std::string> AutostartDesktopEntry(std::string_view program);

// The autostart folder that holds the entry.
class AutostartFolder {
 public:
  explicit AutostartFolder(std::string dir) : dir_(std::move(dir)) {}
  // A failure when the entry cannot be written or the program cannot be started from one.
  Result<void> Set(std::string_view program) const;
  // Succeeds when the entry is gone afterwards.
  Result<void> Remove() const;
  std::string EntryPath() const;

 private:
  std::string dir_;
};

}  // namespace nv
