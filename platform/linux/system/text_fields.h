#pragma once
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nv {

// Splits off the next blank-separated field of `rest`; empty when none is left.
std::string_view NextField(std::string_view& rest);

// `text` as a whole number written in `base`; false unless all of it is one.
template <typename T>
bool ToNumber(std::string_view text, T& value, int base = 10) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

// The figure of a "key value" line as /proc writes them: "MemTotal:   1234 kB" (meminfo,
// status) and "pswpin 1234" (vmstat) both read 1234 for their key. False when the line is
// another key's or holds no number.
bool KeyedNumber(std::string_view line, std::string_view key, uint64_t& value);

// One figure a record takes from a keyed /proc file, times `scale` (1024 for kB figures).
template <typename Record>
struct KeyedFigure {
  std::string_view key;
  uint64_t Record::*figure;
  uint64_t scale = 1;
};

// Stores the figure of `line` in `record` when its key is one of `fields`; false otherwise.
template <typename Record, size_t N>
bool TakeKeyedLine(std::string_view line, const KeyedFigure<Record> (&fields)[N], Record& record) {
  uint64_t value = 0;
  for (const auto& field : fields) {
    if (!KeyedNumber(line, field.key, value)) continue;
    record.*field.figure = value * field.scale;
    return true;
  }
  return false;
}

}  // namespace nv
