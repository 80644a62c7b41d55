#include "cli/optimize_command.h"

#include <string>

#include "engine/overall_optimization.h"
#include "platform/linux/system/linux_memory.h"
#include "platform/linux/system/linux_processes.h"
#include "platform/linux/system/linux_reclaim_meter.h"
#include "platform/linux/reclaim/user_reclaimer.h"

namespace nv::cli {

namespace {

// A terminal has no gauge to show.
class NoGauge : public ProgressGauge {
 public:
  void Start(uint64_t) override {}
  void Restart() override {}
  void Advance() override {}
  void Hide() override {}
};

// The level as one digit from 1 to 5, or 0.
int ParseLevel(const std::string& text) {
  return text.size() == 1 && text[0] >= '1' && text[0] <= '5' ? text[0] - '0' : 0;
}

}  // namespace

int OptimizeAndReport(Memory& memory, Processes& processes, Reclaimer& reclaimer, ReclaimMeter& meter, int level,
                      std::ostream& out, std::ostream& err) {
  MemoryTweak tweak(memory, [&err](const std::string& message) { err << message << '\n'; });
  NoGauge gauge;
  const OverallOptimization result = RunOverallOptimization(memory, processes, reclaimer, meter, tweak, level, gauge);
  WriteReportLines(result.report, out);
  if (!result.trim.othersLeftAlone.empty()) out << result.trim.othersLeftAlone << '\n';
  if (const int missing = PrivilegeMissingExit(result.trim.privilegeMissing ? &result.trim : nullptr, err); missing != 0)
    return missing;
  if (result.trim.failure.empty()) return 0;
  err << "norvane-cli: " << result.trim.failure << '\n';
  return kTrimFailedExit;
}

int OptimizeCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
  const int level = args.size() == 1 ? ParseLevel(args[0]) : 0;
  if (level == 0) return Usage(err, std::string(kOptimizeUsage) + "   (LEVEL 1 to 5)");
  LinuxMemory memory;
  LinuxProcesses processes;
  const auto reclaimer = MakeUserReclaimer();
  LinuxReclaimMeter meter;
  return OptimizeAndReport(memory, processes, *reclaimer, meter, level, out, err);
}

}  // namespace nv::cli
