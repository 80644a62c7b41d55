#include "reclaim/request.h"

#include <algorithm>
#include <charconv>

#include "platform/linux/reclaim/reclaim_protocol.h"

namespace nv::reclaim {

namespace {

// The largest pid any kernel hands out (PID_MAX_LIMIT on 64-bit systems).
constexpr uint32_t kPidLimit = 4 * 1024 * 1024;

bool ParsePid(std::string_view text, uint32_t& pid) {
  if (text.empty() || text.size() > 7) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  std::from_chars(text.data(), text.data() + text.size(), pid);
  return pid <= kPidLimit;
}

}  // namespace

std::string ParseRequest(const std::vector<std::string_view>& args, Request& request) {
  Request parsed;
  if (args.empty() || !ParseAdviceWord(args[0], parsed.advice)) return "the first word must be pageout or cold";
  if (args.size() < 2) return "no process was named: give pids, or all";
  if (args.size() == 2 && args[1] == "all") {
    parsed.allProcesses = true;
  } else {
    for (size_t i = 1; i < args.size(); ++i) {
      uint32_t pid = 0;
      if (!ParsePid(args[i], pid)) return "not a process id: " + std::string(args[i].substr(0, 16));
      parsed.pids.push_back(pid);
    }
    std::sort(parsed.pids.begin(), parsed.pids.end());
    parsed.pids.erase(std::unique(parsed.pids.begin(), parsed.pids.end()), parsed.pids.end());
  }
  request = std::move(parsed);
  return {};
}

}  // namespace nv::reclaim
