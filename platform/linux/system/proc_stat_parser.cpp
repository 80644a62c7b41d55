#include "platform/linux/system/proc_stat_parser.h"

#include <cstdint>

#include "platform/linux/system/text_fields.h"

namespace nv {

namespace {

// Scheduling policies as /proc reports them.
constexpr uint32_t kSchedFifo = 1;
constexpr uint32_t kSchedRoundRobin = 2;
constexpr uint32_t kSchedIdle = 5;
constexpr uint32_t kSchedDeadline = 6;

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

bool TakeStatusLine(std::string_view line, ProcessStatusMemory& out) {
  static constexpr KeyedFigure<ProcessStatusMemory> kFields[] = {
      {"VmRSS", &ProcessStatusMemory::residentBytes, 1024},
      {"VmHWM", &ProcessStatusMemory::peakResidentBytes, 1024},
  };
  if (TakeKeyedLine(line, kFields, out)) ++out.found;
  return out.found < 2;
}

bool ParseCpuStatLine(std::string_view line, CpuTimes& out) {
  std::string_view rest = line;
  if (NextField(rest) != "cpu") return false;
  // The guest columns after steal are already counted in user and nice.
  constexpr int kIdle = 4, kIowait = 5, kSteal = 8;
  CpuTimes times;
  int column = 1;
  for (uint64_t value = 0; column <= kSteal; ++column) {
    const std::string_view field = NextField(rest);
    if (field.empty()) break;
    if (!ToNumber(field, value)) return false;
    // Saturating, so that damaged text cannot wrap the sum below one of its parts.
    times.total = value > UINT64_MAX - times.total ? UINT64_MAX : times.total + value;
    if (column == kIdle || column == kIowait) times.idle = value > UINT64_MAX - times.idle ? UINT64_MAX : times.idle + value;
  }
  if (column <= kIdle) return false;
  out = times;
  return true;
}

}  // namespace nv
