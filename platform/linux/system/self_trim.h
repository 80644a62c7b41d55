#pragma once
#include <sys/uio.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/system/proc_file.h"

namespace nv {

// Two figures of the program's own memory, in bytes, that cost a library call and one small
// read to take.
struct SelfMemoryFigures {
  uint64_t freeHeap = 0;      // free bytes in malloc's arenas (mallinfo2)
  uint64_t residentAnon = 0;  // resident anonymous memory (/proc/self/statm)
};

// What one self-trim does.
struct SelfTrimSteps {
  bool returnHeap = false;  // malloc_trim
  bool coolAnon = false;    // MADV_COLD over the private anonymous mappings
};

// Free heap or resident anonymous memory that has grown by this much since its low point is
// worth a trim. The refresh allocates and frees less than this each second, so the pages it
// uses again stay put instead of being handed back and faulted in a second later.
constexpr uint64_t kSelfTrimStep = uint64_t{256} << 10;

// Decides each second whether the self-trim has anything to do: a step is taken only when its
// figure has grown by kSelfTrimStep above the lowest it has been since that step was last
// taken. A second in which nothing grew does nothing.
class SelfTrimRule {
 public:
  SelfTrimSteps Next(const SelfMemoryFigures& now);

 private:
  uint64_t freeHeapLow_ = 0;
  uint64_t residentAnonLow_ = 0;
};

// The program's trim of itself: the free heap handed back to the system, and, while swap can
// take pages, the private anonymous memory marked cold, so that under pressure the kernel
// reclaims the program's idle pages first. Cold, not paged out: pages written to swap every
// second would be read back by the next refresh. Never the own file-backed mappings, which
// would have the program read its own code again.
class SelfTrim {
 public:
  // `procRoot` is the /proc to read, `procFd` a descriptor of it.
  SelfTrim(const std::string& procRoot, int procFd);

  // `swapCanTakePages` is asked only when there is anonymous memory to mark.
  void Run(const std::function<bool()>& swapCanTakePages);

 private:
  // Resident anonymous bytes, 0 when statm cannot be read.
  uint64_t ResidentAnon();

  int procFd_;
  KeptOpenFile statm_;
  SelfTrimRule rule_;
  std::vector<iovec> ranges_;  // reused by every cooling
};

}  // namespace nv
