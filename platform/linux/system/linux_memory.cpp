#include "platform/linux/system/linux_memory.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string>

#include "platform/linux/system/cgroup_memory.h"

namespace nv {

namespace {

// The top of the user address space (TASK_SIZE) of the architecture.
constexpr uint64_t ArchitectureUserSpace() {
#if defined(__x86_64__)
  return 0x7FFFFFFFF000ULL;
#elif defined(__aarch64__)
  return uint64_t{1} << 48;
#else
  return sizeof(void*) == 4 ? uint64_t{3} << 30 : uint64_t{1} << 47;
#endif
}

}  // namespace

MemoryStatusEx MemoryStatusFrom(const MeminfoFigures& figures, uint64_t totalVirtual,
                                uint64_t ownVirtualSize) {
  MemoryStatusEx status;
  status.ullTotalPhys = figures.memTotal;
  status.ullAvailPhys = figures.memAvailable;
  status.ullTotalPageFile = figures.memTotal + figures.swapTotal;
  status.ullAvailPageFile =
      status.ullTotalPageFile > figures.committedAs ? status.ullTotalPageFile - figures.committedAs : 0;
  status.ullTotalVirtual = totalVirtual;
  status.ullAvailVirtual = totalVirtual > ownVirtualSize ? totalVirtual - ownVirtualSize : 0;
  return status;
}

uint64_t UserAddressSpaceSize() {
  uint64_t size = ArchitectureUserSpace();
  rlimit limit{};
  if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < size)
    size = limit.rlim_cur;
  return size;
}

LinuxMemory::LinuxMemory(const std::string& procRoot)
    : procRoot_(procRoot), meminfo_(procRoot + "/meminfo"), ownStatm_(procRoot + "/self/statm") {}

Result<MeminfoFigures> LinuxMemory::ReadMeminfo() {
  MeminfoFigures figures;
  errno = 0;
  if (!nv::ReadMeminfo(meminfo_, figures)) return FailureWithErrno("Cannot read the memory figures of " + meminfo_.Path());
  return figures;
}

uint64_t LinuxMemory::OwnVirtualSize() {
  char buffer[256];
  const int fd = ownStatm_.Descriptor();
  const ssize_t got = fd < 0 ? -1 : PreadRetrying(fd, buffer, sizeof buffer, 0);
  if (got <= 0) {
    ownStatm_.Drop();
    return 0;
  }
  // The first field of statm is the size of the address space in pages.
  uint64_t pages = 0;
  std::from_chars(buffer, buffer + got, pages);
  return pages * PageSize();
}

Result<MemoryStatusEx> LinuxMemory::GlobalMemoryStatusEx() {
  const auto figures = ReadMeminfo();
  if (!figures) return figures.error();
  return MemoryStatusFrom(*figures, UserAddressSpaceSize(), OwnVirtualSize());
}

uint64_t LinuxMemory::PageSize() { return static_cast<uint64_t>(::sysconf(_SC_PAGESIZE)); }

Result<void*> LinuxMemory::Commit(uint64_t bytes) {
  if (bytes == 0) return Failure{"A block of 0 bytes cannot be committed"};
  const auto figures = ReadMeminfo();
  if (!figures) return figures.error();
  if (const uint64_t headroom = CommitHeadroomNow(*figures); bytes > headroom)
    return Failure{"A block of " + std::to_string(bytes) + " bytes is beyond the commit headroom of " +
                   std::to_string(headroom) + " bytes"};
  void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return SystemFailure("Cannot map a block of " + std::to_string(bytes) + " bytes");
  return block;
}

uint64_t LinuxMemory::CommitHeadroomNow(const MeminfoFigures& figures) const {
  const uint64_t machine = CommitHeadroom(figures);
  const auto cgroup = TightestCgroupMemory(procRoot_);
  return cgroup ? std::min(machine, CommitHeadroomWithin(*cgroup)) : machine;
}

void LinuxMemory::Release(void* block, uint64_t bytes) {
  if (block != nullptr && bytes > 0) ::munmap(block, bytes);
}

}  // namespace nv
