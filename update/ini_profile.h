#pragma once
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace nv {

// The longest value a profile read returns: a 2048-byte buffer less its terminating zero.
inline constexpr size_t kProfileValueMax = 2047;

// One key of an INI text, read by the Windows profile rules: section and key names match
// without regard to case; only the first section of that name is searched and the first key
// of that name in it counts; blanks around the value are dropped, then one pair of enclosing
// quotes; the value ends at a zero byte and is cut to kProfileValueMax characters.
// `defaultValue` when the section or the key is missing.
std::string FindProfileString(std::string_view text, std::string_view section, std::string_view key,
                              const std::string& defaultValue);

// The same over a file; a file that cannot be read yields `defaultValue`.
std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, const std::string& defaultValue);

}  // namespace nv
