// A stand-in for a second program instance and for a process with a large file mapping:
//   system_test_helper instance LOCKPATH   takes the single-instance mark as a start does,
//                                          prints "running" or "marked", holds until stdin closes
//   system_test_helper map FILE BYTES      maps FILE, touches every page, prints "ready",
//                                          holds until stdin closes
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/linux_instance_event.h"

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

int Map(const char* path, size_t bytes) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 2;
  void* mapped = ::mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE, fd, 0);
  if (mapped == MAP_FAILED) return 3;
  const long page = ::sysconf(_SC_PAGESIZE);
  volatile unsigned sum = 0;
  for (size_t offset = 0; offset < bytes; offset += static_cast<size_t>(page))
    sum = sum + static_cast<const unsigned char*>(mapped)[offset];
  std::printf("ready\n");
  std::fflush(stdout);
  HoldUntilInputCloses();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "instance") == 0) return Instance(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "map") == 0) return Map(argv[2], std::strtoull(argv[3], nullptr, 10));
  std::fprintf(stderr, "usage: %s instance LOCKPATH | map FILE BYTES\n", argv[0]);
  return 1;
}
