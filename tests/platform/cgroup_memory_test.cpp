#include "platform/linux/system/cgroup_memory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/linux/system/linux_memory.h"
#include "platform/temp_folder.h"

namespace nv {
namespace {

using test::WriteText;
constexpr uint64_t MiB = uint64_t{1} << 20, GiB = MiB << 10;
constexpr uint64_t kV1NoLimit = 9223372036854771712ull;

TEST(CgroupMembership, FindsTheMemoryHierarchyOfEachVersion) {
  struct Row {
    const char* what;
    const char* text;
    std::optional<std::string> v1, v2;
  };
  const Row rows[] = {
      {"v2 only", "0::/user.slice/user-1000.slice/app.scope\n", std::nullopt, "/user.slice/user-1000.slice/app.scope"},
      {"v1 beside an empty unified hierarchy", "5:devices:/\n4:memory:/process_api/b11f\n1:cpu:/\n0::/\n",
       "/process_api/b11f", "/"},
      {"controllers mounted together", "3:cpu,memory,cpuacct:/batch\n", "/batch", std::nullopt},
      {"a named hierarchy that only sounds like memory", "9:name=memory:/x\n2:memory2:/y\n", std::nullopt,
       std::nullopt},
      {"a colon in the path", "4:memory:/odd:name\n", "/odd:name", std::nullopt},
      {"garbage and a missing path", "junk\n4:memory:\n\n", std::nullopt, std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const auto membership = ParseCgroupMembership(row.text);
    EXPECT_EQ(membership.v1Memory, row.v1);
    EXPECT_EQ(membership.v2, row.v2);
  }
}

TEST(CgroupMounts, TakesTheFirstMountOfEachHierarchyWithItsRoot) {
  CgroupMounts mounts;
  for (const char* line : {
           "32 23 0:29 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755",
           "33 32 0:30 / /sys/fs/cgroup/cpu rw,relatime - cgroup cgroup rw,cpu",
           "36 32 0:33 /docker/c1 /sys/fs/cgroup/mem\\040ory rw,relatime shared:9 - cgroup cgroup rw,cpuacct,memory",
           "37 32 0:33 / /mnt/again rw,relatime - cgroup cgroup rw,memory",
           "42 32 0:39 / /sys/fs/cgroup/unified rw,relatime - cgroup2 cgroup2 rw,nsdelegate",
           "43 32 0:39 / /elsewhere rw,relatime - cgroup2 cgroup2 rw",
       })
    TakeCgroupMountLine(line, mounts);
  ASSERT_TRUE(mounts.v1Memory && mounts.v2);
  EXPECT_EQ(mounts.v1Memory->root, "/docker/c1");
  EXPECT_EQ(mounts.v1Memory->mountPoint, "/sys/fs/cgroup/mem ory");
  EXPECT_EQ(mounts.v2->root, "/");
  EXPECT_EQ(mounts.v2->mountPoint, "/sys/fs/cgroup/unified");
}

TEST(CgroupFolders, RunFromTheProcesssCgroupUpToTheMountedRoot) {
  using Folders = std::vector<std::string>;
  EXPECT_EQ(CgroupFolders({"/", "/cg"}, "/a/b"), (Folders{"/cg/a/b", "/cg/a", "/cg"}));
  EXPECT_EQ(CgroupFolders({"/", "/cg"}, "/"), (Folders{"/cg"}));
  // A container sees its own part of the hierarchy at the mount point.
  EXPECT_EQ(CgroupFolders({"/docker/c1", "/cg"}, "/docker/c1/job"), (Folders{"/cg/job", "/cg"}));
  EXPECT_EQ(CgroupFolders({"/docker/c1", "/cg"}, "/docker/c10/job"), Folders{});
}

// A /proc of one process and the cgroup file systems it names, built in a temporary folder
// because mountinfo holds absolute paths.
class CgroupFixture {
 public:
  // `files`: path under the folder -> text, for cgroup files and self/cgroup alike.
  explicit CgroupFixture(const std::map<std::string, std::string>& files) {
    WriteText(dir_ / "proc/self/mountinfo",
              "33 32 0:30 / " + dir_ / "v1" + " rw - cgroup cgroup rw,memory\n" +
                  "42 32 0:39 / " + dir_ / "v2" + " rw - cgroup2 cgroup2 rw\n");
    for (const auto& [path, text] : files) WriteText(dir_ / path, text);
  }
  std::string ProcRoot() const { return dir_ / "proc"; }

 private:
  test::TempFolder dir_;
};

std::string Bytes(uint64_t n) { return std::to_string(n) + "\n"; }

TEST(TightestCgroupMemory, IsTheLimitedLevelWithTheLeastRoomInEitherVersion) {
  struct Row {
    const char* what;
    std::map<std::string, std::string> files;
    std::optional<uint64_t> limit, usage;
  };
  const Row rows[] = {
      {"v1: a limit on the parent binds the unlimited child",
       {{"proc/self/cgroup", "4:memory:/jobs/one\n0::/\n"},
        {"v1/memory.limit_in_bytes", Bytes(kV1NoLimit)}, {"v1/memory.usage_in_bytes", Bytes(3 * GiB)},
        {"v1/jobs/memory.limit_in_bytes", Bytes(512 * MiB)}, {"v1/jobs/memory.usage_in_bytes", Bytes(100 * MiB)},
        {"v1/jobs/one/memory.limit_in_bytes", Bytes(kV1NoLimit)},
        {"v1/jobs/one/memory.usage_in_bytes", Bytes(90 * MiB)}},
       512 * MiB, 100 * MiB},
      {"v2: the child's limit is larger but its room smaller",
       {{"proc/self/cgroup", "0::/user.slice/app.scope\n"},
        {"v2/user.slice/memory.max", Bytes(2 * GiB)}, {"v2/user.slice/memory.current", Bytes(1 * GiB)},
        {"v2/user.slice/app.scope/memory.max", Bytes(1536 * MiB)},
        {"v2/user.slice/app.scope/memory.current", Bytes(1200 * MiB)}},
       1536 * MiB, 1200 * MiB},
      {"v2: \"max\" is no limit",
       {{"proc/self/cgroup", "0::/a\n"}, {"v2/a/memory.max", "max\n"}, {"v2/a/memory.current", Bytes(GiB)}},
       std::nullopt, std::nullopt},
      {"both versions at once: the tighter wins",
       {{"proc/self/cgroup", "4:memory:/m\n0::/u\n"},
        {"v1/m/memory.limit_in_bytes", Bytes(1 * GiB)}, {"v1/m/memory.usage_in_bytes", Bytes(100 * MiB)},
        {"v2/u/memory.max", Bytes(768 * MiB)}, {"v2/u/memory.current", Bytes(700 * MiB)}},
       768 * MiB, 700 * MiB},
      {"usage above the limit leaves no room, not a wrapped one",
       {{"proc/self/cgroup", "0::/a\n"}, {"v2/a/memory.max", Bytes(256 * MiB)},
        {"v2/a/memory.current", Bytes(300 * MiB)}},
       256 * MiB, 300 * MiB},
      {"a limit whose usage cannot be read leaves no room",
       {{"proc/self/cgroup", "0::/a\n"}, {"v2/a/memory.max", Bytes(256 * MiB)}}, 256 * MiB, 256 * MiB},
      {"no memory cgroup at all", {{"proc/self/cgroup", "1:cpu:/\n"}}, std::nullopt, std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const CgroupFixture fixture(row.files);
    const auto tightest = TightestCgroupMemory(fixture.ProcRoot());
    ASSERT_EQ(tightest.has_value(), row.limit.has_value());
    if (!tightest) continue;
    EXPECT_EQ(tightest->limit, *row.limit);
    EXPECT_EQ(tightest->usage, *row.usage);
  }
  EXPECT_FALSE(TightestCgroupMemory("/nonexistent/proc"));
}

TEST(Commit, IsRefusedBeyondTheMemoryCgroupsHeadroom) {
  // The machine of the fixture leaves 8 GiB - 256 MiB; the cgroup leaves 512 - 100 MiB less
  // its 64 MiB margin.
  const CgroupFixture fixture({{"proc/self/cgroup", "0::/job\n"},
                               {"v2/job/memory.max", Bytes(512 * MiB)},
                               {"v2/job/memory.current", Bytes(100 * MiB)}});
  std::filesystem::copy_file(std::string(NV_FIXTURES) + "/meminfo_swap/meminfo", fixture.ProcRoot() + "/meminfo");
  LinuxMemory memory(fixture.ProcRoot());
  constexpr uint64_t kHeadroom = 512 * MiB - 100 * MiB - 64 * MiB;
  EXPECT_FALSE(memory.Commit(kHeadroom + 4096));
  void* granted = memory.Commit(kHeadroom).value();
  memory.Release(granted, kHeadroom);
}

}  // namespace
}  // namespace nv
