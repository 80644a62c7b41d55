#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/linux/system/linux_memory.h"
#include "platform/linux/system/meminfo.h"

namespace nv {
namespace {

const std::string kFixtures = NV_FIXTURES;
constexpr uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024;

TEST(MemoryStatus, FiguresFromCapturedMeminfo) {
  struct Row {
    const char* root;
    uint64_t totalPhys, availPhys, totalPageFile, availPageFile;
  };
  const Row rows[] = {
      // A real machine without swap: the commit limit is physical memory.
      {"meminfo_noswap", 24683728 * KiB, 24282072 * KiB, 24683728 * KiB, (24683728 - 104496) * KiB},
      // More committed than memory and swap together: no commit available, not a wrapped figure.
      {"meminfo_swap", 16 * GiB, 2 * GiB, 24 * GiB, 0},
  };
  const uint64_t ownSize = 25600 * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));  // statm of the fixture
  for (const auto& row : rows) {
    SCOPED_TRACE(row.root);
    LinuxMemory memory(kFixtures + "/" + row.root);
    const MemoryStatusEx status = memory.GlobalMemoryStatusEx().value();
    EXPECT_EQ(status.ullTotalPhys, row.totalPhys);
    EXPECT_EQ(status.ullAvailPhys, row.availPhys);
    EXPECT_EQ(status.ullTotalPageFile, row.totalPageFile);
    EXPECT_EQ(status.ullAvailPageFile, row.availPageFile);
    EXPECT_EQ(status.ullTotalVirtual, UserAddressSpaceSize());
    EXPECT_EQ(status.ullAvailVirtual, UserAddressSpaceSize() - ownSize);
  }
}

TEST(MemoryStatus, AFailureNamingMeminfoWhenItCannotBeRead) {
  LinuxMemory memory("/nonexistent/proc");
  const auto status = memory.GlobalMemoryStatusEx();
  ASSERT_FALSE(status);
  EXPECT_NE(status.error().reason.find("/nonexistent/proc/meminfo"), std::string::npos) << status.error().reason;
  EXPECT_EQ(status.error().systemError, ENOENT);
  const auto commit = memory.Commit(MiB);
  ASSERT_FALSE(commit);
  EXPECT_EQ(commit.error().reason, status.error().reason);
}

TEST(MemoryStatus, LiveFiguresAreConsistent) {
  LinuxMemory memory;
  const MemoryStatusEx status = memory.GlobalMemoryStatusEx().value();
  EXPECT_GT(status.ullTotalPhys, 0u);
  EXPECT_LE(status.ullAvailPhys, status.ullTotalPhys);
  EXPECT_GE(status.ullTotalPageFile, status.ullTotalPhys);
  EXPECT_LE(status.ullAvailPageFile, status.ullTotalPageFile);
  EXPECT_GT(status.ullAvailVirtual, 0u);
  EXPECT_LT(status.ullAvailVirtual, status.ullTotalVirtual);
  EXPECT_EQ(memory.PageSize(), static_cast<uint64_t>(::sysconf(_SC_PAGESIZE)));
}

TEST(CommitHeadroom, IsAvailableMemoryAndFreeSwapLessTheMargin) {
  struct Row {
    const char* what;
    MeminfoFigures figures;
    uint64_t headroom;
  };
  const Row rows[] = {
      {"margin of 1/64 of a large machine", {16 * GiB, 2 * GiB, 8 * GiB, 6 * GiB, 0}, 8 * GiB - 256 * MiB},
      {"margin never under 64 MiB", {1 * GiB, 512 * MiB, 0, 0, 0}, 512 * MiB - 64 * MiB},
      {"nothing left: no wrap below zero", {1 * GiB, 32 * MiB, 0, 16 * MiB, 0}, 0},
  };
  for (const auto& row : rows) EXPECT_EQ(CommitHeadroom(row.figures), row.headroom) << row.what;
}

TEST(Commit, RefusesABlockBeyondTheHeadroomAndGrantsOneWithin) {
  // The fixture has 8 GiB - 256 MiB of headroom; nothing of it is touched.
  LinuxMemory fixture(kFixtures + "/meminfo_swap");
  const auto refused = fixture.Commit(8 * GiB);
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.error().reason.find("headroom of 8321499136 bytes"), std::string::npos) << refused.error().reason;
  void* granted = fixture.Commit(8 * GiB - 256 * MiB).value();
  fixture.Release(granted, 8 * GiB - 256 * MiB);

  // On this machine: more than memory and swap together is refused, a small block is real memory.
  LinuxMemory memory;
  const MemoryStatusEx status = memory.GlobalMemoryStatusEx().value();
  EXPECT_FALSE(memory.Commit(status.ullTotalPageFile));
  void* block = memory.Commit(16 * MiB).value();
  std::memset(block, 0x5a, 16 * MiB);
  EXPECT_EQ(static_cast<unsigned char*>(block)[16 * MiB - 1], 0x5a);
  memory.Release(block, 16 * MiB);
  EXPECT_FALSE(memory.Commit(0));
}

}  // namespace
}  // namespace nv
