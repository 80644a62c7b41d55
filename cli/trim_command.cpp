#include "cli/trim_command.h"

#include <charconv>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "engine/optimization_report.h"
#include "platform/linux/registry/hive_environment.h"
#include "platform/linux/system/linux_memory.h"
#include "platform/linux/system/linux_processes.h"
#include "platform/linux/system/linux_reclaim_meter.h"
#include "platform/linux/reclaim/user_reclaimer.h"
#include "platform/linux/focus/x11_focused_window.h"
#include "settings/idle_age_setting.h"

namespace nv::cli {

namespace {

// The processes of both advice calls that were passed over, by reason.
struct Skipped {
  uint32_t gone, denied, other;
};

Skipped SkippedOf(const TrimPassFigures& f) {
  return {f.pageOut.skippedGone + f.cold.skippedGone, f.pageOut.skippedDenied + f.cold.skippedDenied,
          f.pageOut.skippedOther + f.cold.skippedOther};
}

std::string ProcessCounts(const TrimPassFigures& f) {
  const Skipped skipped = SkippedOf(f);
  return "Processes: " + std::to_string(f.pageOut.advised) + " paged out, " + std::to_string(f.cold.advised) +
         " advised cold, " + std::to_string(skipped.gone) + " ended, " + std::to_string(skipped.denied) +
         " not permitted, " + std::to_string(skipped.other) + " passed over";
}

// A whole number of seconds from 1 to a day.
std::optional<std::chrono::seconds> ParseIdleAge(const std::string& text) {
  uint32_t seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || seconds == 0 || seconds > kLongestIdleAgeSeconds)
    return std::nullopt;
  return std::chrono::seconds(seconds);
}

bool ParseRequest(const Arguments& args, TrimRequest& request) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--all") {
      request.scope = TrimScope::Everything;
    } else if (args[i] == "--json") {
      request.json = true;
    } else if (args[i] == "--system") {
      request.machineWide = true;
    } else if (args[i] == "--idle-age" && i + 1 < args.size()) {
      request.idleAge = ParseIdleAge(args[++i]);
      if (!request.idleAge) return false;
    } else {
      return false;
    }
  }
  return true;
}

std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\')
      quoted.append(1, '\\').append(1, c);
    else if (static_cast<unsigned char>(c) < 0x20)
      quoted += ' ';
    else
      quoted += c;
  }
  return quoted + '"';
}

}  // namespace

std::string TrimFailure(const TrimPassFigures& f, bool machineWide) {
  for (const ReclaimOutcome* outcome : {&f.pageOut, &f.cold}) {
    if (outcome->privilegeMissing) return PrivilegeMissingWords(*outcome);
    if (!outcome->failure.empty()) return outcome->failure;
    if (machineWide && !outcome->othersLeftAlone.empty()) return outcome->othersLeftAlone;
  }
  return {};
}

std::string TrimFiguresJson(const TrimPassFigures& f, const std::string& failure) {
  const auto field = [](const char* name, auto value) { return "\"" + std::string(name) + "\":" + std::to_string(value); };
  const Skipped skipped = SkippedOf(f);
  const auto watchedMs = std::chrono::duration_cast<std::chrono::milliseconds>(f.watched).count();
  return "{" + field("pagedOutBytes", f.PagedOut()) + "," + field("stillCachedBytes", f.StillCached()) + "," +
         "\"measured\":" + (f.measured ? "true" : "false") + "," + field("availableChangeBytes", f.availableChange) +
         "," + field("cameBackBytes", f.cameBack) + "," + field("cameBackSystemBytes", f.cameBackSystem) + "," +
         field("watchedMilliseconds", watchedMs) + "," + "\"swapNearlyFull\":" + (f.swapReserveReached ? "true" : "false") + "," +
         field("pagedOutProcesses", f.pageOut.advised) + "," + field("coldProcesses", f.cold.advised) + "," +
         field("skippedGone", skipped.gone) + "," + field("skippedDenied", skipped.denied) + "," +
         field("skippedOther", skipped.other) +
         ",\"privilegeMissing\":" + (f.pageOut.privilegeMissing || f.cold.privilegeMissing ? "true" : "false") +
         ",\"failure\":" + JsonString(failure) + "}";
}

std::string TrimAndReport(Memory& memory, TrimPass& pass, const TrimRequest& request, const TrimWait& wait,
                          std::ostream& out) {
  TrimClock::time_point now = TrimClock::now();
  if (request.scope == TrimScope::Idle) {
    // Idle for the idle age can only be told by watching that long.
    const TrimClock::duration age = request.idleAge.value_or(kDefaultIdleAge);
    pass.SetIdleAge(age);
    pass.Observe(now);
    now = wait(age);
  }
  const auto before = memory.GlobalMemoryStatusEx();
  pass.Run(request.scope, now);
  const auto after = memory.GlobalMemoryStatusEx();
  // A pass that could advise nothing, for want of the privilege or as its helper failed, has
  // nothing that can come back.
  const std::string failure = TrimFailure(*pass.Last(), request.machineWide);
  if (pass.Last()->PrivilegeMissing() == nullptr && pass.Last()->Failure().empty()) {
    pass.Watch(wait(kSettleTime));
    pass.Watch(wait(kCameBackWindow - kSettleTime));
  }
  const TrimPassFigures& figures = *pass.Last();
  if (request.json) {
    out << TrimFiguresJson(figures, failure) << '\n';
    return failure;
  }
  WriteReportLines(OptimizationReport(before, after), out);
  out << TrimResultLine(figures) << '\n' << ProcessCounts(figures) << '\n';
  return failure;
}

int TrimCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
  TrimRequest request;
  if (!ParseRequest(args, request)) return Usage(err, kTrimUsage);
  if (!request.idleAge) request.idleAge = StoredIdleAge(*MakeHiveRegistry());
  LinuxMemory memory;
  LinuxProcesses processes;
  const auto reclaimer = MakeUserReclaimer();
  MachineWideReclaimer machineWide(*reclaimer);
  LinuxReclaimMeter meter;
  const auto focus = MakeSessionFocusedWindow();
  TrimPass pass(processes, request.machineWide ? machineWide : *reclaimer, meter, *focus);
  const std::string failure = TrimAndReport(memory, pass, request, [](TrimClock::duration span) {
    std::this_thread::sleep_for(span);
    return TrimClock::now();
  }, out);
  if (const int missing = PrivilegeMissingExit(pass.Last()->PrivilegeMissing(), err); missing != 0) return missing;
  if (failure.empty()) return 0;
  err << "norvane-cli: " << failure << '\n';
  return kTrimFailedExit;
}

}  // namespace nv::cli
