#pragma once
#include <cstdint>
#include <string_view>

#include "platform/linux/system/proc_file.h"

namespace nv {

// The figures of /proc/meminfo the program uses, in bytes.
struct MeminfoFigures {
  uint64_t memTotal = 0;
  uint64_t memAvailable = 0;
  uint64_t swapTotal = 0;
  uint64_t swapFree = 0;
  uint64_t committedAs = 0;
  uint64_t swapCached = 0;  // pages in swap that are still in memory too
};

// Takes the figure of one /proc/meminfo line when it is one of ours.
void TakeMeminfoLine(std::string_view line, MeminfoFigures& out);

// Reads the figures from the kept-open /proc/meminfo; false (and the file dropped, to be
// opened again next time) when it cannot be read or holds no MemTotal.
bool ReadMeminfo(KeptOpenFile& meminfo, MeminfoFigures& figures);

// Linux overcommits, so a block is granted only within what can really be backed: available
// memory plus free swap, less a margin that keeps the kernel out of its OOM killer. The
// margin grows with the memory it guards (`totalBytes`).
uint64_t CommitSafetyMargin(uint64_t totalBytes);
uint64_t CommitHeadroom(const MeminfoFigures& figures);

// Swap that can still take pages beyond its reserve (platform/reclaim.h): only then does
// paging anonymous memory out free anything, without filling the swap.
bool SwapCanTakePages(const MeminfoFigures& figures);

}  // namespace nv
