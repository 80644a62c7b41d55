// The disk reads that trimming costs a program at work: a reader maps a 256 MiB file and reads
// all of it every second, while auto-optimization runs at threshold 100 with an interval of
// 1 s. The same minute runs twice: with the pass of old (every process paged out at every
// tick) and with today's (idle rule, back-off). The passes reach only the reader, so that the
// rest of the machine is left alone; the reader's share of them is the same either way.
//
//   bench_refault [SECONDS]   (60 by default; the file is made beside the executable)
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <linux/magic.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/auto_optimization.h"
#include "engine/process_list.h"
#include "platform/linux/system/linux_memory.h"
#include "platform/live_trim_pass.h"

namespace {

constexpr uint64_t kFileBytes = uint64_t{256} << 20;
constexpr uint64_t kMiB = uint64_t{1} << 20;

class NoClipboard : public nv::Clipboard {
 public:
  nv::Result<void> Clean() override { return {}; }
};

bool MakeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::vector<char> chunk(1 << 20);
  for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 131);
  bool written = true;
  for (uint64_t done = 0; written && done < kFileBytes; done += chunk.size())
    written = ::write(fd, chunk.data(), chunk.size()) == static_cast<ssize_t>(chunk.size());
  // On disk and out of the page cache, as a file the reader has not seen yet.
  written = written && ::fsync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
  ::close(fd);
  return written;
}

// The reader: maps the file and sums all of it once a second; says "ready" after the first time.
[[noreturn]] void Read(const std::string& path, int readyFd) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const auto* words = static_cast<const uint64_t*>(::mmap(nullptr, kFileBytes, PROT_READ, MAP_SHARED, fd, 0));
  if (fd < 0 || words == MAP_FAILED) std::_Exit(2);
  volatile uint64_t sink = 0;
  for (bool first = true;; first = false) {
    const auto next = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    uint64_t sum = 0;
    for (size_t i = 0; i < kFileBytes / sizeof *words; ++i) sum += words[i];
    sink = sink + sum;
    if (first && ::write(readyFd, "r", 1) != 1) std::_Exit(3);
    std::this_thread::sleep_until(next);
  }
}

uint64_t ReadBytes(pid_t pid) {
  std::ifstream io("/proc/" + std::to_string(pid) + "/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "read_bytes:") return value;
  return 0;
}

enum class Pass { Old, Today };

// The reader's disk reads over `seconds` one-second ticks of the given pass.
uint64_t RunMinute(const std::string& path, Pass kind, int seconds) {
  int ready[2];
  if (::pipe(ready) != 0) return 0;
  const pid_t reader = ::fork();
  if (reader == 0) Read(path, ready[1]);
  char byte;
  if (::read(ready[0], &byte, 1) != 1) std::fprintf(stderr, "the reader did not start\n");
  ::close(ready[0]);
  ::close(ready[1]);

  nv::LinuxMemory memory;
  nv::test::LiveTrimPass live({static_cast<uint32_t>(reader)});
  nv::TrimBackoff backoff;
  NoClipboard clipboard;
  int passes = 0, waits = 0;

  const uint64_t before = ReadBytes(reader);
  auto tick = std::chrono::steady_clock::now();
  for (int i = 0; i < seconds; ++i) {
    tick += std::chrono::seconds(1);
    std::this_thread::sleep_until(tick);
    if (kind == Pass::Old) {
      nv::TrimProcessList(live.processes, live.reclaimer);
      ++passes;
      continue;
    }
    const nv::AutoPassResult result = nv::RunAutoOptimizationPass(memory, live.pass, backoff, clipboard, {100, false});
    passes += result.trimmed ? 1 : 0;
    waits += result.waiting ? 1 : 0;
  }
  const uint64_t reads = ReadBytes(reader) - before;
  ::kill(reader, SIGKILL);
  ::waitpid(reader, nullptr, 0);
  std::printf("  %-28s %6llu MiB read from disk by the reader (%d passes, %d waiting ticks)\n",
              kind == Pass::Old ? "old pass (all paged out):" : "today's pass (idle rule):",
              static_cast<unsigned long long>(reads / kMiB), passes, waits);
  return reads;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const std::string dir = std::filesystem::canonical("/proc/self/exe").parent_path().string();
  struct statfs fs{};
  if (::statfs(dir.c_str(), &fs) != 0 || fs.f_type == TMPFS_MAGIC) {
    std::fprintf(stderr, "%s must be on a disk: tmpfs pages cannot be read back from one\n", dir.c_str());
    return 1;
  }
  const std::string path = dir + "/refault_file." + std::to_string(::getpid()) + ".bin";
  if (!MakeFile(path)) {
    std::fprintf(stderr, "could not write %s\n", path.c_str());
    return 1;
  }
  std::printf("A reader reads a 256 MiB mapped file every second; auto-optimization at threshold 100, "
              "interval 1 s, for %d s:\n", seconds);
  const uint64_t old = RunMinute(path, Pass::Old, seconds);
  const uint64_t today = RunMinute(path, Pass::Today, seconds);
  std::filesystem::remove(path);
  const bool met = today <= 2 * kFileBytes;
  std::printf("target: today's pass at most 512 MiB (2 x 256 MiB): %s (old pass: %llu MiB)\n", met ? "met" : "MISSED",
              static_cast<unsigned long long>(old / kMiB));
  return met ? 0 : 1;
}
