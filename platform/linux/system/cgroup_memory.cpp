#include "platform/linux/system/cgroup_memory.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>

#include "platform/linux/system/meminfo.h"
#include "platform/linux/system/proc_file.h"

namespace nv {

namespace {

// The next field of `text` up to `separator`, taken off the front.
std::string_view TakeField(std::string_view& text, char separator) {
  const size_t end = text.find(separator);
  const std::string_view field = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  return field;
}

bool ListHas(std::string_view list, std::string_view item) {
  while (!list.empty())
    if (TakeField(list, ',') == item) return true;
  return false;
}

// mountinfo writes a blank, tab, line feed or backslash in a path as "\" and three octal digits.
std::string UnescapeMountPath(std::string_view text) {
  std::string path;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto octal = [&](size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '7'; };
    if (text[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      path.push_back(static_cast<char>((text[i + 1] - '0') << 6 | (text[i + 2] - '0') << 3 | (text[i + 3] - '0')));
      i += 3;
    } else {
      path.push_back(text[i]);
    }
  }
  return path;
}

// A number of bytes from a cgroup file; v2 writes "max" for no limit.
std::optional<uint64_t> ReadCgroupFigure(const std::string& file) {
  char buffer[64];
  const ssize_t length = ReadFileAt(AT_FDCWD, file.c_str(), buffer, sizeof buffer);
  if (length <= 0) return std::nullopt;
  const std::string_view text(buffer, static_cast<size_t>(length));
  if (text.starts_with("max")) return UINT64_MAX;
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  return value;
}

// v1 spells "no limit" as the largest page-counter value, about 2^63 rounded to pages.
constexpr uint64_t kNoLimit = uint64_t{1} << 62;

struct LimitFiles {
  const char* limit;
  const char* usage;
};
constexpr LimitFiles kV1Files = {"memory.limit_in_bytes", "memory.usage_in_bytes"};
constexpr LimitFiles kV2Files = {"memory.max", "memory.current"};

void TakeTightest(const std::vector<std::string>& folders, const LimitFiles& files,
                  std::optional<CgroupMemory>& tightest) {
  for (const auto& folder : folders) {
    const auto limit = ReadCgroupFigure(folder + "/" + files.limit);
    if (!limit || *limit >= kNoLimit) continue;
    const auto usage = ReadCgroupFigure(folder + "/" + files.usage);
    // A limited cgroup whose usage cannot be read leaves no room that can be trusted.
    const CgroupMemory level{*limit, usage.value_or(*limit)};
    if (!tightest || level.Room() < tightest->Room()) tightest = level;
  }
}

}  // namespace

CgroupMembership ParseCgroupMembership(std::string_view text) {
  CgroupMembership membership;
  while (!text.empty()) {
    std::string_view line = TakeField(text, '\n');
    const std::string_view id = TakeField(line, ':');
    const std::string_view controllers = TakeField(line, ':');
    if (line.empty() || line[0] != '/') continue;
    if (id == "0" && controllers.empty()) {
      membership.v2 = std::string(line);
    } else if (ListHas(controllers, "memory")) {
      membership.v1Memory = std::string(line);
    }
  }
  return membership;
}

void TakeCgroupMountLine(std::string_view line, CgroupMounts& out) {
  const size_t separator = line.find(" - ");
  if (separator == std::string_view::npos) return;
  std::string_view before = line.substr(0, separator);
  std::string_view after = line.substr(separator + 3);
  for (int i = 0; i < 3; ++i) TakeField(before, ' ');  // mount id, parent id, device
  const std::string_view root = TakeField(before, ' ');
  const std::string_view mountPoint = TakeField(before, ' ');
  const std::string_view type = TakeField(after, ' ');
  TakeField(after, ' ');  // source
  const std::string_view superOptions = TakeField(after, ' ');
  std::optional<CgroupMount>* slot = nullptr;
  if (type == "cgroup2") {
    slot = &out.v2;
  } else if (type == "cgroup" && ListHas(superOptions, "memory")) {
    slot = &out.v1Memory;
  }
  // The first mount of a hierarchy is as good as any later one.
  if (slot != nullptr && !*slot) *slot = CgroupMount{UnescapeMountPath(root), UnescapeMountPath(mountPoint)};
}

std::vector<std::string> CgroupFolders(const CgroupMount& mount, std::string_view path) {
  const std::string_view root = mount.root == "/" ? std::string_view() : std::string_view(mount.root);
  if (!path.starts_with(root) || (path.size() > root.size() && path[root.size()] != '/')) return {};
  std::string_view inside = path.substr(root.size());
  while (inside.ends_with('/')) inside.remove_suffix(1);
  std::vector<std::string> folders;
  for (;;) {
    folders.push_back(mount.mountPoint + std::string(inside));
    if (inside.empty()) return folders;
    inside = inside.substr(0, inside.rfind('/'));
  }
}

uint64_t CommitHeadroomWithin(const CgroupMemory& cgroup) {
  const uint64_t margin = CommitSafetyMargin(cgroup.limit);
  return cgroup.Room() > margin ? cgroup.Room() - margin : 0;
}

std::optional<CgroupMemory> TightestCgroupMemory(const std::string& procRoot) {
  char buffer[4096];
  const ssize_t length = ReadFileAt(AT_FDCWD, (procRoot + "/self/cgroup").c_str(), buffer, sizeof buffer);
  if (length <= 0) return std::nullopt;
  const CgroupMembership membership = ParseCgroupMembership(std::string_view(buffer, static_cast<size_t>(length)));

  CgroupMounts mounts;
  const int fd = ::open((procRoot + "/self/mountinfo").c_str(), O_RDONLY | O_CLOEXEC);
  ForEachLine(fd, buffer, sizeof buffer, [&](std::string_view line) {
    TakeCgroupMountLine(line, mounts);
    return true;
  });
  if (fd >= 0) ::close(fd);

  std::optional<CgroupMemory> tightest;
  if (membership.v1Memory && mounts.v1Memory)
    TakeTightest(CgroupFolders(*mounts.v1Memory, *membership.v1Memory), kV1Files, tightest);
  if (membership.v2 && mounts.v2) TakeTightest(CgroupFolders(*mounts.v2, *membership.v2), kV2Files, tightest);
  return tightest;
}

}  // namespace nv
