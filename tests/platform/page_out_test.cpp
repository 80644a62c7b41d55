#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include "platform/linux/system/page_out.h"

namespace nv {
namespace {

constexpr uint64_t MiB = 1024 * 1024, GiB = 1024 * MiB;

TEST(MapsLine, ClassifiesEveryKindOfMapping) {
  using K = MappingKind;
  struct Row {
    K kind;
    bool isPrivate;
  };
  // Line by line, the captured maps of fixtures/maps/mixed.
  const Row rows[] = {
      {K::FileBacked, true},  {K::FileBacked, true},  {K::FileBacked, true},   // program image
      {K::SwapBacked, true},                                                    // [heap]
      {K::SwapBacked, true},  {K::Skip, true},                                  // anonymous, guard
      {K::FileBacked, true},  {K::Skip, true},                                  // libc, gap
      {K::SwapBacked, false}, {K::SwapBacked, false}, {K::SwapBacked, false},   // memfd, SYSV, /dev/shm
      {K::FileBacked, false},                                                   // deleted shared file
      {K::SwapBacked, true},                                                    // [anon:glibc.malloc]
      {K::FileBacked, true},                                                    // path with spaces
      {K::SwapBacked, true},                                                    // [stack]
      {K::Skip, true},        {K::Skip, true},        {K::Skip, true},          // [vvar] [vdso] [vsyscall]
  };
  std::ifstream maps(std::string(NV_FIXTURES) + "/maps/mixed");
  std::string line;
  size_t index = 0;
  while (std::getline(maps, line)) {
    ASSERT_LT(index, std::size(rows));
    Mapping mapping;
    ASSERT_TRUE(ParseMapsLine(line, mapping)) << line;
    EXPECT_EQ(mapping.kind, rows[index].kind) << line;
    EXPECT_EQ(mapping.isPrivate, rows[index].isPrivate) << line;
    ++index;
  }
  EXPECT_EQ(index, std::size(rows));

  Mapping first;
  ASSERT_TRUE(ParseMapsLine("5581c6e4f000-5581c6e51000 r--p 00000000 fe:00 1835148 /usr/bin/sleep", first));
  EXPECT_EQ(first.start, 0x5581c6e4f000u);
  EXPECT_EQ(first.end, 0x5581c6e51000u);
}

TEST(MapsLine, RejectsMalformedLines) {
  const char* lines[] = {"", "garbage", "7000-6000 rw-p 0 00:00 0", "zz-7000 rw-p 0 00:00 0",
                         "6000-7000 rw 0 00:00 0", "6000-7000 rw-p 0 00:00", "6000 rw-p 0 00:00 0 [heap]"};
  for (const char* line : lines) {
    Mapping mapping;
    EXPECT_FALSE(ParseMapsLine(line, mapping)) << line;
  }
}

std::vector<Mapping> MixedMaps() {
  std::ifstream maps(std::string(NV_FIXTURES) + "/maps/mixed");
  std::vector<Mapping> mappings;
  std::string line;
  Mapping mapping;
  while (std::getline(maps, line))
    if (ParseMapsLine(line, mapping)) mappings.push_back(mapping);
  return mappings;
}

// Indices of the mappings of fixtures/maps/mixed that `takes` accepts.
std::vector<size_t> Taken(bool (*takes)(const Mapping&, bool), bool swap) {
  const auto mappings = MixedMaps();
  std::vector<size_t> taken;
  for (size_t i = 0; i < mappings.size(); ++i)
    if (takes(mappings[i], swap)) taken.push_back(i);
  return taken;
}

TEST(TrimSelection, FileBackedAlwaysAnonymousOnlyWithSwap) {
  using V = std::vector<size_t>;
  EXPECT_EQ(Taken(TrimPagesOut, false), (V{0, 1, 2, 6, 11, 13}));
  EXPECT_EQ(Taken(TrimPagesOut, true), (V{0, 1, 2, 3, 4, 6, 8, 9, 10, 11, 12, 13, 14}));
}

TEST(TrimSelection, SelfTrimTakesOnlyPrivateAnonymousMemoryAndOnlyWithSwap) {
  using V = std::vector<size_t>;
  EXPECT_EQ(Taken(SelfTrimCools, false), V{});
  EXPECT_EQ(Taken(SelfTrimCools, true), (V{3, 4, 12, 14}));  // heap, anonymous, [anon:], stack
}

// Plays the kernel's part: advises ranges in order up to a byte cap per call, and stops at
// a range it refuses, answering as process_madvise does.
struct ScriptedKernel {
  uint64_t capPerCall = ~uint64_t{0};
  std::vector<uintptr_t> refusedStarts;
  int processError = 0;
  std::vector<std::pair<uintptr_t, size_t>> advised;
  int calls = 0;

  ssize_t operator()(const iovec* ranges, size_t count) {
    ++calls;
    EXPECT_LE(count, static_cast<size_t>(IOV_MAX));
    if (processError != 0) {
      errno = processError;
      return -1;
    }
    uint64_t done = 0;
    for (size_t i = 0; i < count && done < capPerCall; ++i) {
      const auto start = reinterpret_cast<uintptr_t>(ranges[i].iov_base);
      if (std::find(refusedStarts.begin(), refusedStarts.end(), start) != refusedStarts.end()) {
        if (done > 0) break;
        errno = EINVAL;
        return -1;
      }
      const size_t piece = static_cast<size_t>(std::min<uint64_t>(ranges[i].iov_len, capPerCall - done));
      advised.emplace_back(start, piece);
      done += piece;
    }
    return static_cast<ssize_t>(done);
  }
  uint64_t TotalAdvised() const {
    uint64_t total = 0;
    for (const auto& piece : advised) total += piece.second;
    return total;
  }
};

std::vector<iovec> Ranges(size_t count, size_t length, uintptr_t stride) {
  std::vector<iovec> ranges;
  for (size_t i = 0; i < count; ++i)
    ranges.push_back({reinterpret_cast<void*>(0x10000000 + i * stride), length});
  return ranges;
}

TEST(AdviseInBatches, SplitsIntoCallsOfAtMostIovMaxRanges) {
  auto ranges = Ranges(2 * IOV_MAX + 452, 4096, 8192);
  ScriptedKernel kernel;
  AdviseInBatches(ranges, std::ref(kernel));
  EXPECT_EQ(kernel.calls, 3);
  ASSERT_EQ(kernel.advised.size(), ranges.size());
  for (size_t i = 0; i < ranges.size(); ++i) EXPECT_EQ(kernel.advised[i].first, 0x10000000 + i * 8192) << i;
}

TEST(AdviseInBatches, ContinuesACallThatAdvisedLessThanAsked) {
  // Three ranges of 1.5 GiB against a kernel that stops at 2 GiB per call.
  auto ranges = Ranges(3, static_cast<size_t>(3 * GiB / 2), 2 * GiB);
  ScriptedKernel kernel;
  kernel.capPerCall = 2 * GiB;
  AdviseInBatches(ranges, std::ref(kernel));
  EXPECT_EQ(kernel.TotalAdvised(), 9 * GiB / 2);
  EXPECT_EQ(kernel.calls, 3);
  // The second piece of the second range starts where the first call stopped.
  ASSERT_GE(kernel.advised.size(), 3u);
  EXPECT_EQ(kernel.advised[2].first, 0x10000000 + 2 * GiB + GiB / 2);
}

TEST(AdviseInBatches, PassesOverARefusedRangeAndAdvisesTheRest) {
  auto ranges = Ranges(6, static_cast<size_t>(MiB), 2 * MiB);
  ScriptedKernel kernel;
  kernel.refusedStarts = {0x10000000, 0x10000000 + 3 * 2 * MiB};  // the first and the fourth
  AdviseInBatches(ranges, std::ref(kernel));
  EXPECT_EQ(kernel.TotalAdvised(), 4 * MiB);
}

TEST(AdviseInBatches, StopsWhenTheProcessIsRefusedOrGone) {
  for (int error : {EPERM, ESRCH}) {
    auto ranges = Ranges(3000, 4096, 8192);
    ScriptedKernel kernel;
    kernel.processError = error;
    AdviseInBatches(ranges, std::ref(kernel));
    EXPECT_EQ(kernel.calls, 1) << error;
  }
}

}  // namespace
}  // namespace nv
