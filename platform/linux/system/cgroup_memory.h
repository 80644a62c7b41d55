#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

// A process inside a memory cgroup is killed by the cgroup's OOM killer long before the
// machine runs short, so the room that the cgroups holding it leave counts as much as the
// machine's. Both versions are read: v1's memory controller and the unified v2 hierarchy.

// Where the process sits in the memory hierarchies, from /proc/self/cgroup.
struct CgroupMembership {
  std::optional<std::string> v1Memory;  // the path in the v1 hierarchy with the memory controller
  std::optional<std::string> v2;        // the path in the unified hierarchy ("0::/path")
};
CgroupMembership ParseCgroupMembership(std::string_view text);

// A mounted cgroup hierarchy: the hierarchy path shown at the mount point, and the mount point.
struct CgroupMount {
  std::string root;
  std::string mountPoint;
};
struct CgroupMounts {
  std::optional<CgroupMount> v1Memory;
  std::optional<CgroupMount> v2;
};
// Takes the mount of one /proc/self/mountinfo line when it is a hierarchy of ours.
void TakeCgroupMountLine(std::string_view line, CgroupMounts& out);

// The folders of the cgroup at `path` and of each of its ancestors visible under the mount,
// innermost first; empty when the path lies outside what the mount shows.
std::vector<std::string> CgroupFolders(const CgroupMount& mount, std::string_view path);

// One cgroup's memory limit and what its members use now, in bytes.
struct CgroupMemory {
  uint64_t limit = 0;
  uint64_t usage = 0;
  uint64_t Room() const { return limit > usage ? limit - usage : 0; }
};

// The commit headroom inside the cgroup: its room less the margin its limit calls for.
uint64_t CommitHeadroomWithin(const CgroupMemory& cgroup);

// The limited cgroup with the least room among those holding the process described under
// `procRoot` (its self/cgroup and self/mountinfo), or nullopt when none is limited.
std::optional<CgroupMemory> TightestCgroupMemory(const std::string& procRoot);

}  // namespace nv
