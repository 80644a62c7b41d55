#include "platform/linux/system/page_out.h"

#include <limits.h>

#include <algorithm>
#include <cerrno>

#include "platform/linux/system/text_fields.h"

namespace nv {

namespace {

// Shared memory that only swap can take: tmpfs files, memfd, System V segments, /dev/zero.
bool IsShmemPath(std::string_view path) {
  return path.starts_with("/memfd:") || path.starts_with("/SYSV") || path.starts_with("/dev/shm/") ||
         path.starts_with("/dev/zero");
}

MappingKind KindOf(std::string_view perms, std::string_view inode, std::string_view path) {
  if (perms.substr(0, 3) == "---") return MappingKind::Skip;
  if (path.starts_with('[')) {
    const bool anonymous = path == "[heap]" || path.starts_with("[stack") || path.starts_with("[anon");
    return anonymous ? MappingKind::SwapBacked : MappingKind::Skip;
  }
  if (inode == "0" || path.empty() || IsShmemPath(path)) return MappingKind::SwapBacked;
  return MappingKind::FileBacked;
}

// The errors that refuse the whole process, not one range of it.
bool RefusesProcess(int error) {
  return error == EPERM || error == ESRCH || error == EBADF || error == ENOSYS || error == EACCES;
}

}  // namespace

bool ParseMapsLine(std::string_view line, Mapping& out) {
  std::string_view rest = line;
  const std::string_view span = NextField(rest);
  const std::string_view perms = NextField(rest);
  NextField(rest);  // offset
  NextField(rest);  // device
  const std::string_view inode = NextField(rest);
  const size_t dash = span.find('-');
  Mapping mapping;
  if (dash == std::string_view::npos || perms.size() != 4 || inode.empty() ||
      !ToNumber(span.substr(0, dash), mapping.start, 16) || !ToNumber(span.substr(dash + 1), mapping.end, 16) ||
      mapping.end <= mapping.start)
    return false;
  const size_t pathBegin = rest.find_first_not_of(' ');
  const std::string_view path = pathBegin == std::string_view::npos ? std::string_view{} : rest.substr(pathBegin);
  mapping.isPrivate = perms[3] == 'p';
  mapping.kind = KindOf(perms, inode, path);
  out = mapping;
  return true;
}

bool TrimPagesOut(const Mapping& mapping, bool swapCanTakePages) {
  return mapping.kind == MappingKind::FileBacked || (mapping.kind == MappingKind::SwapBacked && swapCanTakePages);
}

bool SelfTrimCools(const Mapping& mapping, bool swapCanTakePages) {
  return mapping.kind == MappingKind::SwapBacked && mapping.isPrivate && swapCanTakePages;
}

int AdviseInBatches(std::vector<iovec>& ranges, const AdviseCall& advise) {
  size_t next = 0;
  while (next < ranges.size()) {
    const size_t count = std::min<size_t>(IOV_MAX, ranges.size() - next);
    const ssize_t advised = advise(&ranges[next], count);
    if (advised < 0) {
      if (RefusesProcess(errno)) return errno;
      ++next;
      continue;
    }
    if (advised == 0) {
      ++next;
      continue;
    }
    size_t left = static_cast<size_t>(advised);
    while (next < ranges.size() && left >= ranges[next].iov_len) left -= ranges[next++].iov_len;
    if (left > 0 && next < ranges.size()) {
      ranges[next].iov_base = static_cast<char*>(ranges[next].iov_base) + left;
      ranges[next].iov_len -= left;
    }
  }
  return 0;
}

}  // namespace nv
