#include "platform/linux/proc_stat_parser.h"

#include <charconv>

namespace nv {

namespace {

// Scheduling policies as /proc reports them.
constexpr uint32_t kSchedFifo = 1;
constexpr uint32_t kSchedRoundRobin = 2;
constexpr uint32_t kSchedIdle = 5;
constexpr uint32_t kSchedDeadline = 6;

// Splits off the next space-separated field of `rest`.
std::string_view NextField(std::string_view& rest) {
  const size_t begin = rest.find_first_not_of(' ');
  if (begin == std::string_view::npos) {
    rest = {};
    return {};
  }
  rest.remove_prefix(begin);
  const size_t end = rest.find(' ');
  const std::string_view field = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
  return field;
}

template <typename T>
bool ToNumber(std::string_view text, T& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool ParseProcessStat(std::string_view text, ProcessStat& out) {
  const size_t open = text.find('(');
  const size_t close = text.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return false;
  ProcessStat stat;
  std::string_view head = text.substr(0, open);
  if (!ToNumber(NextField(head), stat.pid)) return false;
  stat.comm = text.substr(open + 1, close - open - 1);

  // Field numbers as proc(5) counts them; the state (3) is the first after the name.
  std::string_view rest = text.substr(close + 1);
  int field = 3;
  int parsed = 0;
  bool pastResident = false;  // a cut text could end inside the resident set or a field before
  for (std::string_view value = NextField(rest); !value.empty(); value = NextField(rest), ++field) {
    pastResident = field > 24;
    bool ok = true;
    switch (field) {
      case 4: ok = ToNumber(value, stat.ppid); break;
      case 9: ok = ToNumber(value, stat.flags); break;
      case 10: ok = ToNumber(value, stat.minorFaults); break;
      case 12: ok = ToNumber(value, stat.majorFaults); break;
      case 14: ok = ToNumber(value, stat.userTicks); break;
      case 15: ok = ToNumber(value, stat.systemTicks); break;
      case 19: ok = ToNumber(value, stat.nice); break;
      case 22: ok = ToNumber(value, stat.startTicks); break;
      case 24: ok = ToNumber(value, stat.residentPages); break;
      case 41: ok = ToNumber(value, stat.policy); break;
      default: continue;
    }
    if (!ok) return false;
    if (++parsed == 10) break;
  }
  // Kernels before 2.5.19 stop before the policy; every other field must be there.
  if (parsed < 9 || !pastResident) return false;
  out = stat;
  return true;
}

bool IsKernelThread(const ProcessStat& stat) {
  constexpr uint64_t kPfKthread = 0x00200000;
  return (stat.flags & kPfKthread) != 0;
}

int32_t BasePriorityOf(uint32_t policy, int nice) {
  if (policy == kSchedFifo || policy == kSchedRoundRobin || policy == kSchedDeadline) return 24;
  if (policy == kSchedIdle) return 4;
  if (nice <= -15) return 13;
  if (nice <= -5) return 10;
  if (nice <= 4) return 8;
  if (nice <= 14) return 6;
  return 4;
}

bool ParseStatmResidentPages(std::string_view text, uint64_t& pages) {
  std::string_view rest = text.substr(0, text.find('\n'));
  uint64_t size = 0, resident = 0;
  if (!ToNumber(NextField(rest), size) || !ToNumber(NextField(rest), resident)) return false;
  pages = resident;
  return true;
}

bool KilobytesField(std::string_view line, std::string_view key, uint64_t& kilobytes) {
  if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != ':') return false;
  std::string_view rest = line.substr(key.size() + 1);
  const size_t begin = rest.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return false;
  rest.remove_prefix(begin);
  const std::string_view digits = rest.substr(0, rest.find_first_not_of("0123456789"));
  return ToNumber(digits, kilobytes);
}

bool TakeStatusLine(std::string_view line, ProcessStatusMemory& out) {
  uint64_t kilobytes = 0;
  if (KilobytesField(line, "VmRSS", kilobytes)) {
    out.residentBytes = kilobytes * 1024;
    ++out.found;
  } else if (KilobytesField(line, "VmHWM", kilobytes)) {
    out.peakResidentBytes = kilobytes * 1024;
    ++out.found;
  }
  return out.found < 2;
}

bool ParseCpuStatLine(std::string_view line, CpuStatLine& out) {
  if (!line.starts_with("cpu")) return false;
  std::string_view rest = line;
  const std::string_view name = NextField(rest);
  out = {};
  if (name == "cpu") {
    out.aggregate = true;
    // user nice system idle iowait ...
    uint64_t value = 0;
    for (int column = 1; column <= 5; ++column) {
      if (!ToNumber(NextField(rest), value)) return false;
      if (column >= 4) out.idleTicks += value;
    }
    return true;
  }
  uint32_t index = 0;
  out.processor = ToNumber(name.substr(3), index);
  return out.processor;
}

}  // namespace nv
