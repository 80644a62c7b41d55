#include "platform/linux/reclaim/reclaim_protocol.h"

#include <charconv>
#include <limits>

namespace nv::reclaim {

namespace {

struct Field {
  std::string_view name;
  uint32_t ReclaimOutcome::*count;
};

constexpr Field kCounts[] = {
    {"advised", &ReclaimOutcome::advised},
    {"skipped_gone", &ReclaimOutcome::skippedGone},
    {"skipped_denied", &ReclaimOutcome::skippedDenied},
    {"skipped_other", &ReclaimOutcome::skippedOther},
};
constexpr std::string_view kPagedOut = "paged_out_bytes";

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// Takes "name=value " off the front of `rest`.
template <typename Number>
bool TakeField(std::string_view& rest, std::string_view name, Number& value) {
  if (!rest.starts_with(name) || rest.substr(name.size(), 1) != "=") return false;
  rest.remove_prefix(name.size() + 1);
  const size_t end = std::min(rest.find(' '), rest.size());
  if (!ParseNumber(rest.substr(0, end), value)) return false;
  rest.remove_prefix(end);
  if (!rest.empty()) rest.remove_prefix(1);
  return true;
}

}  // namespace

const char* AdviceWord(ReclaimAdvice advice) { return advice == ReclaimAdvice::PageOut ? "pageout" : "cold"; }

bool ParseAdviceWord(std::string_view word, ReclaimAdvice& advice) {
  for (ReclaimAdvice candidate : {ReclaimAdvice::PageOut, ReclaimAdvice::Cold}) {
    if (word == AdviceWord(candidate)) {
      advice = candidate;
      return true;
    }
  }
  return false;
}

std::string FormatResultLine(const ReclaimOutcome& outcome) {
  std::string line;
  for (const Field& field : kCounts)
    line.append(field.name).append("=").append(std::to_string(outcome.*field.count)).append(" ");
  return line.append(kPagedOut).append("=").append(std::to_string(outcome.bytesPagedOut));
}

bool ParseResultLine(std::string_view line, ReclaimOutcome& outcome) {
  ReclaimOutcome parsed;
  for (const Field& field : kCounts)
    if (!TakeField(line, field.name, parsed.*field.count)) return false;
  if (!TakeField(line, kPagedOut, parsed.bytesPagedOut) || !line.empty()) return false;
  outcome = parsed;
  return true;
}

}  // namespace nv::reclaim
