#include "platform/linux/system/meminfo.h"

#include <algorithm>

#include "platform/linux/system/text_fields.h"
#include "platform/reclaim.h"

namespace nv {

void TakeMeminfoLine(std::string_view line, MeminfoFigures& out) {
  static constexpr KeyedFigure<MeminfoFigures> kFields[] = {
      {"MemTotal", &MeminfoFigures::memTotal, 1024},     {"MemAvailable", &MeminfoFigures::memAvailable, 1024},
      {"SwapTotal", &MeminfoFigures::swapTotal, 1024},   {"SwapFree", &MeminfoFigures::swapFree, 1024},
      {"Committed_AS", &MeminfoFigures::committedAs, 1024}, {"SwapCached", &MeminfoFigures::swapCached, 1024},
  };
  TakeKeyedLine(line, kFields, out);
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
