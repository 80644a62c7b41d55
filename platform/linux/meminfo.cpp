#include "platform/linux/meminfo.h"

#include <algorithm>

#include "platform/linux/proc_stat_parser.h"
#include "platform/reclaim.h"

namespace nv {

void TakeMeminfoLine(std::string_view line, MeminfoFigures& out) {
  struct Field {
    std::string_view key;
    uint64_t MeminfoFigures::*figure;
  };
  static constexpr Field kFields[] = {
      {"MemTotal", &MeminfoFigures::memTotal},     {"MemAvailable", &MeminfoFigures::memAvailable},
      {"SwapTotal", &MeminfoFigures::swapTotal},   {"SwapFree", &MeminfoFigures::swapFree},
      {"Committed_AS", &MeminfoFigures::committedAs}, {"SwapCached", &MeminfoFigures::swapCached},
  };
  uint64_t kilobytes = 0;
  for (const auto& field : kFields) {
    if (KilobytesField(line, field.key, kilobytes)) {
      out.*field.figure = kilobytes * 1024;
      return;
    }
  }
}

bool ReadMeminfo(KeptOpenFile& meminfo, MeminfoFigures& figures) {
  char buffer[4096];
  figures = {};
  const bool read = ForEachLine(meminfo.Descriptor(), buffer, sizeof buffer, [&](std::string_view line) {
    TakeMeminfoLine(line, figures);
    return true;
  }, ProcFileEnd::ShortRead);
  if (!read) meminfo.Drop();
  return read && figures.memTotal > 0;
}

uint64_t CommitSafetyMargin(uint64_t totalBytes) {
  // Reclaim needs more slack in more memory: 1/64 of it, never under 64 MiB.
  constexpr uint64_t kMinimumMargin = uint64_t{64} << 20;
  return std::max(kMinimumMargin, totalBytes / 64);
}

uint64_t CommitHeadroom(const MeminfoFigures& figures) {
  const uint64_t backed = figures.memAvailable + figures.swapFree;
  const uint64_t margin = CommitSafetyMargin(figures.memTotal);
  return backed > margin ? backed - margin : 0;
}

bool SwapCanTakePages(const MeminfoFigures& figures) { return SwapRoomBytes(figures.swapTotal, figures.swapFree) > 0; }

}  // namespace nv
