// The programs of bench/desktop, one role per start:
//   workload tab MIB RESULTS    holds MIB of memory like a browser tab; on each SIGUSR1 it
//                               touches every page (reads and writes one byte a page) and
//                               appends the milliseconds it took to RESULTS
//   workload idle MIB           fills MIB of memory once, then sleeps
//   workload reader FILE SECS   reads all of FILE every SECS seconds (its page cache is
//                               dropped first, so that every read from disk shows)
//   workload new MIB RESULTS    fills MIB of memory, appends the seconds it took, then sleeps
// Each says "ready" on stdout once its memory is filled. Memory is filled with text-like
// bytes that compress about as well as a program's heap (zram sees realistic pages).
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kPage = 4096;
volatile sig_atomic_t touchWanted = 0;

void OnTouch(int) { touchWanted = 1; }

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

uint8_t* Fill(size_t mib) {
  const size_t bytes = mib << 20;
  auto* memory = static_cast<uint8_t*>(::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  if (memory == MAP_FAILED) std::exit(2);
  ::madvise(memory, bytes, MADV_NOHUGEPAGE);  // pages of 4 KiB, as a heap mostly is
  // A third of a page varies, the rest repeats: about 3:1 under zram's compressor. The page
  // is copied whole and made its own by its number and a few words, so that filling costs
  // about what a program's first writes to its memory cost.
  uint8_t page[kPage];
  uint64_t seed = reinterpret_cast<uintptr_t>(memory) | 1;
  for (size_t i = 0; i < kPage; i += 8) {
    seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
    const uint64_t word = (i % 24 == 0) ? seed : 0x2020202065746164ull;
    std::memcpy(page + i, &word, 8);
  }
  for (size_t offset = 0; offset < bytes; offset += kPage) {
    std::memcpy(memory + offset, page, kPage);
    for (size_t i = 0; i < kPage; i += 512) {
      seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
      std::memcpy(memory + offset + i, &seed, 8);
    }
  }
  return memory;
}

void Append(const char* path, const std::string& line) {
  FILE* file = std::fopen(path, "a");
  if (file == nullptr) return;
  std::fprintf(file, "%s\n", line.c_str());
  std::fclose(file);
}

void Ready() {
  std::printf("ready\n");
  std::fflush(stdout);
}

[[noreturn]] void Tab(size_t mib, const char* results) {
  uint8_t* memory = Fill(mib);
  struct sigaction action {};
  action.sa_handler = OnTouch;
  ::sigaction(SIGUSR1, &action, nullptr);
  Ready();
  for (;;) {
    while (!touchWanted) ::pause();
    touchWanted = 0;
    const auto start = std::chrono::steady_clock::now();
    for (size_t page = 0; page < (mib << 20); page += kPage) memory[page] = static_cast<uint8_t>(memory[page] + 1);
    Append(results, std::to_string(static_cast<long>(SecondsSince(start) * 1000 + 0.5)));
  }
}

[[noreturn]] void Idle(size_t mib) {
  Fill(mib);
  Ready();
  for (;;) ::pause();
}

[[noreturn]] void Reader(const char* path, int seconds) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) std::exit(2);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  std::vector<char> buffer(1 << 20);
  Ready();
  for (;;) {
    off_t offset = 0;
    for (ssize_t got; (got = ::pread(fd, buffer.data(), buffer.size(), offset)) > 0;) offset += got;
    ::sleep(static_cast<unsigned>(seconds));
  }
}

[[noreturn]] void New(size_t mib, const char* results) {
  const auto start = std::chrono::steady_clock::now();
  Fill(mib);
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", SecondsSince(start));
  Append(results, text);
  Ready();
  for (;;) ::pause();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string role = argc > 1 ? argv[1] : "";
  if (role == "tab" && argc == 4) Tab(std::strtoull(argv[2], nullptr, 10), argv[3]);
  if (role == "idle" && argc == 3) Idle(std::strtoull(argv[2], nullptr, 10));
  if (role == "reader" && argc == 4) Reader(argv[2], std::atoi(argv[3]));
  if (role == "new" && argc == 4) New(std::strtoull(argv[2], nullptr, 10), argv[3]);
  std::fprintf(stderr, "usage: workload tab MIB RESULTS | idle MIB | reader FILE SECS | new MIB RESULTS\n");
  return 2;
}
