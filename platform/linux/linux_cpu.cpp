#include "platform/linux/linux_cpu.h"

#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include "platform/linux/proc_stat_parser.h"

namespace nv {

namespace {

constexpr uint64_t kHundredNsPerSecond = 10'000'000;

}  // namespace

LinuxCpu::LinuxCpu(const std::string& procRoot) : stat_(procRoot + "/stat") {}

bool LinuxCpu::ReadCpuLines(CpuCounters& counters) {
  // The cpu lines come first and fit this buffer for well over a hundred processors; the
  // reader stops at the first other line, so the long interrupt lines are never scanned.
  char buffer[16384];
  counters = {};
  bool sawAggregate = false;
  const bool read = ForEachLine(stat_.Descriptor(), buffer, sizeof buffer, [&](std::string_view line) {
    CpuStatLine cpu;
    if (!ParseCpuStatLine(line, cpu)) return false;
    if (cpu.aggregate) {
      sawAggregate = true;
      counters.idleTicks = cpu.idleTicks;
    }
    if (cpu.processor) ++counters.processors;
    return true;
  }, ProcFileEnd::ShortRead);
  if (!read) stat_.Drop();
  return read && sawAggregate && counters.processors > 0;
}

bool LinuxCpu::QueryProcessorCount(uint32_t& count) {
  CpuCounters counters;
  if (!ReadCpuLines(counters)) return false;
  count = counters.processors;
  return true;
}

bool LinuxCpu::QuerySystemTime(uint64_t& time) {
  timespec now{};
  if (::clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
  time = static_cast<uint64_t>(now.tv_sec) * kHundredNsPerSecond + static_cast<uint64_t>(now.tv_nsec) / 100;
  return true;
}

bool LinuxCpu::QueryIdleTime(uint64_t& idleSummedOverProcessors) {
  CpuCounters counters;
  const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
  if (ticksPerSecond <= 0 || !ReadCpuLines(counters)) return false;
  // Split the conversion so that neither a large tick count nor an odd tick rate loses time.
  const uint64_t rate = static_cast<uint64_t>(ticksPerSecond);
  idleSummedOverProcessors = counters.idleTicks / rate * kHundredNsPerSecond +
                             counters.idleTicks % rate * kHundredNsPerSecond / rate;
  return true;
}

bool LinuxCpu::QueryPlatformId(uint32_t& id) {
  utsname name{};
  if (::uname(&name) != 0) return false;
  id = 2;
  return true;
}

}  // namespace nv
