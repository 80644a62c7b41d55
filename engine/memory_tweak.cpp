#include "engine/memory_tweak.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/memory_units.h"
#include "platform/log.h"

namespace nv {

MemoryTweak::MemoryTweak(Memory& memory, MessageSink showMessage)
    : memory_(memory), showMessage_(std::move(showMessage)) {}

void MemoryTweak::RunMemoryTweak(int level, ProgressGauge& gauge) {
  if (level < 1) return;
  const auto status = memory_.GlobalMemoryStatusEx();
  if (!status) {
    // Without the size of memory there is nothing to size the blocks by; the optimization's
    // report says that the figures could not be read.
    LogFailure(LogLevel::Warning, "The tweak did not start", status.error());
    return;
  }
  const uint64_t size = TweakSize(*status);
  if (level == 1) {
    TweakByBlocks((size >> 20) + 1, gauge);
    return;
  }
  for (int pass = 0; pass < level; ++pass) TweakWholeRam(size, gauge);
}

namespace {

// The 1 MB blocks of one pass. Whatever ends the pass early (a message box that throws),
// the blocks still go back to the system.
class BlockTable {
 public:
  BlockTable(Memory& memory, uint64_t capacity) : memory_(memory) { blocks_.reserve(capacity); }
  BlockTable(const BlockTable&) = delete;
  BlockTable& operator=(const BlockTable&) = delete;
  ~BlockTable() {
    for (void* block : blocks_) memory_.Release(block, MemoryTweak::kBlockBytes);
  }

  // Commits one more block and writes zeros over it; false when the commit is refused.
  bool CommitNext() {
    const auto block = memory_.Commit(MemoryTweak::kBlockBytes);
    if (!block) {
      LogFailure(LogLevel::Warning, "The tweak stopped", block.error());
      return false;
    }
    blocks_.push_back(*block);
    std::memset(*block, 0, MemoryTweak::kBlockBytes);
    return true;
  }

  // Releases in table order, the gauge running from 0 again, one step per block.
  void ReleaseAll(ProgressGauge& gauge) {
    gauge.Restart();
    for (void* block : blocks_) {
      memory_.Release(block, MemoryTweak::kBlockBytes);
      gauge.Advance();
    }
    blocks_.clear();
  }

 private:
  Memory& memory_;
  std::vector<void*> blocks_;
};

class BusyScope {
 public:
  explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  ~BusyScope() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

void MemoryTweak::TweakByBlocks(uint64_t count, ProgressGauge& gauge) {
  if (tweakBusy_) return;
  const BusyScope busy(tweakBusy_);
  const uint64_t n = std::min(count, kMaxBlocks);
  BlockTable table(memory_, n);

  gauge.Start(n);
  bool refused = false;
  for (uint64_t i = 0; i < n && !refused; ++i) {
    refused = !table.CommitNext();
    if (!refused) gauge.Advance();
  }
  // On a refusal the system is at its commit limit: the memory goes back before the message
  // waits for the user.
  table.ReleaseAll(gauge);
  gauge.Hide();
  if (refused) showMessage_(kOutOfMemoryMessage);
}

void MemoryTweak::TweakWholeRam(uint64_t size, ProgressGauge& gauge) {
  const uint64_t pageSize = memory_.PageSize();
  const uint64_t pages = pageSize ? size / pageSize : 0;
  gauge.Start(pages);
  const auto committed = memory_.Commit(size);
  if (!committed) {
    LogFailure(LogLevel::Warning, "The tweak did not start", committed.error());
    showMessage_(kOutOfMemoryMessage);
    gauge.Hide();
    return;
  }
  auto* block = static_cast<unsigned char*>(*committed);
  std::memset(block, 0, size);
  gauge.Restart();
  for (uint64_t page = 0; page < pages; ++page) {
    std::memset(block + page * pageSize, 0xFF, pageSize);
    gauge.Advance();
  }
  memory_.Release(block, size);
  gauge.Hide();
}

}  // namespace nv
