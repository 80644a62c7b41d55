#pragma once
#include <sys/types.h>
#include <sys/uio.h>

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace nv {

// How a mapping of /proc/PID/maps takes part in a trim.
enum class MappingKind {
  Skip,        // kernel-provided ([vvar], [vdso], [vsyscall]) or inaccessible: nothing to gain
  FileBacked,  // pages the kernel can drop and read back from their file
  SwapBacked,  // anonymous or shared memory: pages can only leave for swap
};

struct Mapping {
  uint64_t start = 0;
  uint64_t end = 0;
  bool isPrivate = false;
  MappingKind kind = MappingKind::Skip;
};

// Parses one /proc/PID/maps line; false when it is not one.
bool ParseMapsLine(std::string_view line, Mapping& out);

// Whether a trim of a process pages `mapping` out: file-backed memory always, anonymous and
// shared memory only while swap can take it (without swap, paging it out frees nothing and
// moves the pages to the active list, the opposite of a trim).
bool TrimPagesOut(const Mapping& mapping, bool swapCanTakePages);

// Whether the program's trim of itself marks `mapping` cold: only its private anonymous memory,
// only while swap can take it. Never its own file-backed mappings, which would have it read
// its own code back from disk.
bool SelfTrimCools(const Mapping& mapping, bool swapCanTakePages);

// One advice call over `count` ranges: the bytes it advised, or -1 with errno set.
using AdviseCall = std::function<ssize_t(const iovec* ranges, size_t count)>;

// Gives `ranges` to `advise` at most IOV_MAX at a time. A call that advised fewer bytes than
// asked (the kernel stops near 2 GiB per call, or at a range it refuses) is continued where
// it stopped; a refused range is passed over; a refusal of the whole process ends the work,
// and its errno is returned (0 when the process was not refused).
int AdviseInBatches(std::vector<iovec>& ranges, const AdviseCall& advise);

}  // namespace nv
