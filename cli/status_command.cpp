#include "cli/status_command.h"

#include <chrono>
#include <thread>

#include "monitor/cpu_usage.h"
#include "monitor/status_texts.h"
#include "platform/linux/system/linux_cpu.h"
#include "platform/linux/system/linux_memory.h"

namespace nv::cli {

Result<void> WriteStatus(Memory& memory, Cpu& cpu, const std::function<void()>& wait, std::ostream& out) {
  const auto read = memory.GlobalMemoryStatusEx();
  if (!read) return read.error();
  const MemoryStatusEx& status = *read;
  out << StatusLineMemoryText(status) << '\n'
      << TrayTooltipText(status) << '\n'
      << "TotalPhys " << status.ullTotalPhys << '\n'
      << "AvailPhys " << status.ullAvailPhys << '\n'
      << "TotalPageFile " << status.ullTotalPageFile << '\n'
      << "AvailPageFile " << status.ullAvailPageFile << '\n'
      << "TotalVirtual " << status.ullTotalVirtual << '\n'
      << "AvailVirtual " << status.ullAvailVirtual << '\n';
  CpuUsageSampler sampler(cpu);
  sampler.SampleNtCpuUsage();
  wait();
  out << "CpuUsage " << sampler.SampleNtCpuUsage() << '\n';
  return {};
}

int StatusCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
  if (!args.empty()) return Usage(err, kStatusUsage);
  LinuxMemory memory;
  LinuxCpu cpu;
  if (const auto written = WriteStatus(memory, cpu, [] { std::this_thread::sleep_for(std::chrono::seconds(1)); }, out);
      !written) {
    err << "norvane-cli status: the memory status cannot be read (" << written.error().reason << ")\n";
    return 1;
  }
  return 0;
}

}  // namespace nv::cli
