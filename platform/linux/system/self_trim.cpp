#include "platform/linux/system/self_trim.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/linux/system/page_out.h"
#include "platform/linux/system/process_advice.h"

namespace nv {

namespace {

// Takes one step of the rule for one figure: true when `now` has grown by the step above
// `low`, which then starts again from `now`; otherwise `low` follows the figure down.
bool GrewByAStep(uint64_t now, uint64_t& low) {
  if (now >= low + kSelfTrimStep) {
    low = now;
    return true;
  }
  low = std::min(low, now);
  return false;
}

}  // namespace

SelfTrimSteps SelfTrimRule::Next(const SelfMemoryFigures& now) {
  SelfTrimSteps steps;
  steps.returnHeap = GrewByAStep(now.freeHeap, freeHeapLow_);
  steps.coolAnon = GrewByAStep(now.residentAnon, residentAnonLow_);
  return steps;
}

SelfTrim::SelfTrim(const std::string& procRoot, int procFd) : procFd_(procFd), statm_(procRoot + "/self/statm") {}

uint64_t SelfTrim::ResidentAnon() {
  // statm: size, resident, shared (file and shmem pages), ... in pages; resident less shared
  // is the anonymous part.
  char text[256];
  const ssize_t length = ReadOpenFile(statm_.Descriptor(), text, sizeof text, ProcFileEnd::ShortRead);
  unsigned long long size = 0, resident = 0, shared = 0;
  if (length <= 0 || std::sscanf(text, "%llu %llu %llu", &size, &resident, &shared) != 3 || shared > resident) {
    statm_.Drop();
    return 0;
  }
  return (resident - shared) * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
}

void SelfTrim::Run(const std::function<bool()>& swapCanTakePages) {
  // An unreadable statm reads as nothing resident, so the first readable second after it
  // marks the memory cold.
  const SelfTrimSteps steps = rule_.Next({::mallinfo2().fordblks, ResidentAnon()});
  if (steps.returnHeap) ::malloc_trim(0);
  if (!steps.coolAnon || !swapCanTakePages()) return;
  CollectRanges(procFd_, "self/maps", SelfTrimCools, true, ranges_);
  for (const iovec& range : ranges_) ::madvise(range.iov_base, range.iov_len, MADV_COLD);
}

}  // namespace nv
