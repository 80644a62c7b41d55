// A stand-in for a second program instance and for a process with a large file mapping:
//   system_test_helper instance LOCKPATH   takes the single-instance mark as a start does,
//                                          prints "running" or "marked", holds until stdin closes
//   system_test_helper map FILE BYTES [N]  maps FILE, touches every page, then makes N small
//                                          mappings that come before it in its maps file;
//                                          prints "ready", holds until stdin closes
//   system_test_helper churn               prints "ready", then maps and unmaps without end, so
//                                          that its maps file changes while it is read
//   system_test_helper anon BYTES          writes BYTES of anonymous memory (compressible, but
//                                          no page filled with one byte), prints "ready", holds
//   system_test_helper anon BYTES undumpable   the same after making itself undumpable
//   system_test_helper grow                prints "ready", then for each line of input:
//                                          "+N" maps and touches N MiB of anonymous memory,
//                                          "-" unmaps the block mapped last; answers "done"
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/system/linux_instance_event.h"

namespace {

void HoldUntilInputCloses() {
  char c;
  while (::read(0, &c, 1) > 0) {
  }
}

int Instance(const char* lockPath) {
  nv::LinuxInstanceEvent event(lockPath);
  const bool running = event.IsInstanceRunning();
  if (!running) event.SignalInstanceEvent();
  std::printf("%s\n", running ? "running" : "marked");
  std::fflush(stdout);
  if (running) return 0;
  HoldUntilInputCloses();
  return 0;
}

int Map(const char* path, size_t bytes, long smallMappings) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 2;
  void* mapped = ::mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE, fd, 0);
  if (mapped == MAP_FAILED) return 3;
  const long page = ::sysconf(_SC_PAGESIZE);
  volatile unsigned sum = 0;
  for (size_t offset = 0; offset < bytes; offset += static_cast<size_t>(page))
    sum = sum + static_cast<const unsigned char*>(mapped)[offset];
  // New mappings are placed below the older ones, and maps lists them by address. Neighbours
  // of different protection are not merged into one.
  for (long i = 0; i < smallMappings; ++i)
    if (::mmap(nullptr, static_cast<size_t>(page), i % 2 ? PROT_READ : PROT_READ | PROT_WRITE,
               MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) == MAP_FAILED)
      return 4;
  std::printf("ready\n");
  std::fflush(stdout);
  HoldUntilInputCloses();
  return 0;
}

[[noreturn]] void Churn() {
  std::printf("ready\n");
  std::fflush(stdout);
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  void* held[512] = {};
  for (unsigned i = 0;; ++i) {
    void*& slot = held[i * 7919 % 512];
    if (slot != nullptr) ::munmap(slot, page);
    slot = ::mmap(nullptr, page, i % 2 ? PROT_READ : PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (slot == MAP_FAILED) slot = nullptr;
  }
}

int Anonymous(size_t bytes) {
  auto* memory = static_cast<unsigned char*>(
      ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  if (memory == MAP_FAILED) return 3;
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  for (size_t offset = 0; offset < bytes; offset += page) {
    std::memset(memory + offset, static_cast<int>(offset / page % 251), page);
    std::memcpy(memory + offset, &offset, sizeof offset);
  }
  std::printf("ready\n");
  std::fflush(stdout);
  HoldUntilInputCloses();
  return 0;
}

void Answer(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

int Grow() {
  const long page = ::sysconf(_SC_PAGESIZE);
  std::vector<std::pair<void*, size_t>> blocks;
  Answer("ready");
  char line[64];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    if (line[0] == '+') {
      const size_t bytes = std::strtoull(line + 1, nullptr, 10) << 20;
      void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (block == MAP_FAILED) return 3;
      for (size_t offset = 0; offset < bytes; offset += static_cast<size_t>(page)) static_cast<char*>(block)[offset] = 1;
      blocks.emplace_back(block, bytes);
    } else if (line[0] == '-' && !blocks.empty()) {
      ::munmap(blocks.back().first, blocks.back().second);
      blocks.pop_back();
    }
    Answer("done");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "instance") == 0) return Instance(argv[2]);
  if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "map") == 0)
    return Map(argv[2], std::strtoull(argv[3], nullptr, 10), argc == 5 ? std::strtol(argv[4], nullptr, 10) : 0);
  if (argc == 2 && std::strcmp(argv[1], "churn") == 0) Churn();
  if (argc == 3 && std::strcmp(argv[1], "anon") == 0) return Anonymous(std::strtoull(argv[2], nullptr, 10));
  // The same, in a process that has made itself undumpable, as programs holding secrets do.
  if (argc == 4 && std::strcmp(argv[1], "anon") == 0 && std::strcmp(argv[3], "undumpable") == 0) {
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    return Anonymous(std::strtoull(argv[2], nullptr, 10));
  }
  if (argc == 2 && std::strcmp(argv[1], "grow") == 0) return Grow();
  std::fprintf(stderr, "usage: %s instance LOCKPATH | map FILE BYTES [N] | churn | anon BYTES | grow\n", argv[0]);
  return 1;
}
