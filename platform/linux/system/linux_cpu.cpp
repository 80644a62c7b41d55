#include "platform/linux/system/linux_cpu.h"

#include <cerrno>

#include "platform/linux/system/proc_stat_parser.h"

namespace nv {

LinuxCpu::LinuxCpu(const std::string& procRoot) : stat_(procRoot + "/stat") {}

Result<CpuTimes> LinuxCpu::QueryCpuTimes() {
  // The summed "cpu" line is the first line of the file; the reader stops after it, so the
  // long interrupt lines are never scanned.
  char buffer[16384];
  CpuTimes times;
  bool sawAggregate = false;
  errno = 0;
  const bool read = ForEachLine(stat_.Descriptor(), buffer, sizeof buffer, [&](std::string_view line) {
    sawAggregate = ParseCpuStatLine(line, times);
    return false;
  }, ProcFileEnd::ShortRead);
  if (!read) {
    const int error = errno;
    stat_.Drop();
    return SystemFailure("Cannot read " + stat_.Path(), error);
  }
  if (!sawAggregate) return Failure{stat_.Path() + " does not begin with the processors' times"};
  return times;
}

}  // namespace nv
