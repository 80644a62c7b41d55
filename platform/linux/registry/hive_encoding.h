#pragma once
#include <string>
#include <string_view>

namespace nv {

// A registry editor exports hives in UTF-16LE behind a byte-order mark; the program writes
// UTF-8, and reads both.

// True when the bytes start with the UTF-16LE byte-order mark.
bool IsUtf16LeText(std::string_view fileBytes);

// The UTF-16LE text after its byte-order mark, as UTF-8. Throws HiveSyntaxError at the line
// of a malformed unit.
std::string Utf16LeTextToUtf8(std::string_view fileBytes);

}  // namespace nv
