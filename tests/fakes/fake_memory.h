#pragma once
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

#include "platform/memory.h"

namespace nv::test {

// A memory service with a settable status. Commits hand out real (zero-filled, lazily
// backed) storage so that callers may write to it; they can be refused outright, above a
// size limit, or from a given call on. Every commit and release is recorded.
class FakeMemory : public Memory {
 public:
  struct Block {
    void* address = nullptr;
    uint64_t bytes = 0;
  };

  MemoryStatusEx status;
  bool statusUnreadable = false;  // the status query fails, as with an unreadable /proc/meminfo
  uint64_t pageSize = 4096;
  bool refuseCommits = false;
  uint64_t commitLimit = UINT64_MAX;  // a larger block is refused
  int refuseFromCall = -1;            // 0-based commit call from which on every commit fails
  int statusCalls = 0;
  std::function<void(int call)> onCommit;  // runs at every commit request, before it is answered

  std::vector<uint64_t> commitRequests;  // every request, granted or not
  std::vector<Block> commits;            // the granted ones
  std::vector<Block> releases;

  FakeMemory() = default;
  FakeMemory(const FakeMemory&) = delete;
  FakeMemory& operator=(const FakeMemory&) = delete;
  ~FakeMemory() override {
    for (auto& [address, bytes] : live_) std::free(address);
  }

  Result<MemoryStatusEx> GlobalMemoryStatusEx() override {
    ++statusCalls;
    if (statusUnreadable) return Failure{"the memory status is unreadable in this test"};
    return status;
  }
  uint64_t PageSize() override { return pageSize; }

  Result<void*> Commit(uint64_t bytes) override {
    const int call = static_cast<int>(commitRequests.size());
    if (onCommit) onCommit(call);
    commitRequests.push_back(bytes);
    if (refuseCommits || bytes > commitLimit || (refuseFromCall >= 0 && call >= refuseFromCall))
      return Failure{"commit " + std::to_string(call) + " refused"};
    void* block = std::calloc(1, bytes == 0 ? 1 : static_cast<size_t>(bytes));
    if (!block) return Failure{"the test ran out of memory"};
    live_[block] = bytes;
    commits.push_back({block, bytes});
    return block;
  }

  // Releasing a block that was never granted (or twice) is counted in badReleases.
  void Release(void* block, uint64_t bytes) override {
    releases.push_back({block, bytes});
    auto it = live_.find(block);
    if (it == live_.end() || it->second != bytes) {
      ++badReleases;
      return;
    }
    std::free(block);
    live_.erase(it);
  }

  size_t LiveBlocks() const { return live_.size(); }
  int badReleases = 0;

  // A status given in whole megabytes, the way most cases are written.
  static MemoryStatusEx StatusMB(uint64_t totalPhys, uint64_t availPhys, uint64_t totalPageFile,
                                 uint64_t availPageFile, uint64_t totalVirtual = 2048,
                                 uint64_t availVirtual = 1024) {
    constexpr uint64_t MB = 1048576;
    return {totalPhys * MB,     availPhys * MB,    totalPageFile * MB,
            availPageFile * MB, totalVirtual * MB, availVirtual * MB};
  }

 private:
  std::map<void*, uint64_t> live_;
};

}  // namespace nv::test
