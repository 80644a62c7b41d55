#include "platform/linux/linux_cpu.h"

#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/proc_stat_parser.h"

namespace nv {

namespace {

constexpr uint64_t kHundredNsPerSecond = 10'000'000;

}  // namespace

LinuxCpu::LinuxCpu(const std::string& procRoot) : stat_(procRoot + "/stat") {}

Result<LinuxCpu::CpuCounters> LinuxCpu::ReadCpuLines() {
  // The cpu lines come first and fit this buffer for well over a hundred processors; the
  // reader stops at the first other line, so the long interrupt lines are never scanned.
  char buffer[16384];
  CpuCounters counters;
  bool sawAggregate = false;
  errno = 0;
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
  if (!read) {
    const int error = errno;
    stat_.Drop();
    return SystemFailure("Cannot read " + stat_.Path(), error);
  }
  if (!sawAggregate || counters.processors == 0)
    return Failure{stat_.Path() + " names no processor"};
  return counters;
}

Result<uint32_t> LinuxCpu::QueryProcessorCount() {
  const auto counters = ReadCpuLines();
  if (!counters) return counters.error();
  return counters->processors;
}

Result<uint64_t> LinuxCpu::QuerySystemTime() {
  timespec now{};
  if (::clock_gettime(CLOCK_REALTIME, &now) != 0) return SystemFailure("Cannot read the clock");
  return static_cast<uint64_t>(now.tv_sec) * kHundredNsPerSecond + static_cast<uint64_t>(now.tv_nsec) / 100;
}

Result<uint64_t> LinuxCpu::QueryIdleTime() {
  const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
  if (ticksPerSecond <= 0) return Failure{"The system names no clock-tick rate"};
  const auto counters = ReadCpuLines();
  if (!counters) return counters.error();
  // Split the conversion so that neither a large tick count nor an odd tick rate loses time.
  const uint64_t rate = static_cast<uint64_t>(ticksPerSecond);
  return counters->idleTicks / rate * kHundredNsPerSecond + counters->idleTicks % rate * kHundredNsPerSecond / rate;
}

Result<uint32_t> LinuxCpu::QueryPlatformId() {
  utsname name{};
  if (::uname(&name) != 0) return SystemFailure("uname failed");
  return 2u;
}

}  // namespace nv
