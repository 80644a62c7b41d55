#pragma once
#include <stdexcept>
#include <string>

namespace nv {

// An error raised by a library operation (registry, file, number conversion). It ends the
// operation in hand and is shown by the application's general error handler.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Formats one of the system's texts that carry a single '%s'.
std::string FormatText(const std::string& pattern, const std::string& arg);

}  // namespace nv
