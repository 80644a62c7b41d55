#pragma once
#include <sys/uio.h>

#include <cstdint>
#include <vector>

#include "platform/linux/system/page_out.h"

namespace nv {

// "PID/leaf", a path relative to the /proc root, for a leaf of at most 15 characters.
struct PidEntryPath {
  char text[32];
  PidEntryPath(uint32_t pid, const char* leaf);
};

// Collects into `ranges` the mappings of the maps file `mapsPath` (relative to the /proc root
// `procFd`) that `takes` accepts. The file is read to its end, however many mappings it has.
// Returns 0, or the errno that kept the file from being opened or read.
int CollectRanges(int procFd, const char* mapsPath, bool (*takes)(const Mapping&, bool), bool swapCanTakePages,
                  std::vector<iovec>& ranges);

// What became of advice to one process.
enum class AdviceResult { Advised, Gone, Denied, Other };

// Gives `advice` (MADV_PAGEOUT or MADV_COLD) to the process of `pidfd` over the mappings of
// /proc/`pid`/maps that a trim takes. The maps are read by pid but the advice goes to the
// pidfd; should the pid have been reused meanwhile, the pidfd's process is found gone before
// any advice is given. `ranges` is scratch space, reused across calls.
AdviceResult AdviseProcess(int procFd, uint32_t pid, int pidfd, int advice, bool swapCanTakePages,
                           std::vector<iovec>& ranges);

}  // namespace nv
