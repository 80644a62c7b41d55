#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "engine/progress_gauge.h"
#include "platform/memory.h"

namespace nv {

// Commits and writes memory as large as physical memory, so that the system takes pages
// away from every other process, then gives it all back. Level 1 writes up to 1024 blocks
// of 1 MB once; levels 2 to 5 write one whole-memory block twice per pass, one pass per level.
class MemoryTweak {
 public:
  using MessageSink = std::function<void(const std::string& text)>;

  static constexpr char kOutOfMemoryMessage[] = "Unable to tweak RAM, please increase system virtual memory.";
  static constexpr uint64_t kBlockBytes = 1048576;
  static constexpr uint64_t kMaxBlocks = 1024;

  // `showMessage` shows the out-of-memory message; it may wait for the user.
  MemoryTweak(Memory& memory, MessageSink showMessage);

  void RunMemoryTweak(int level, ProgressGauge& gauge);
  void TweakByBlocks(uint64_t count, ProgressGauge& gauge);
  void TweakWholeRam(uint64_t size, ProgressGauge& gauge);

  // Set while a block pass runs, message box included, so that a pass started from that
  // box (a hot key, the tray) is turned away.
  bool TweakBusy() const { return tweakBusy_; }

 private:
  Memory& memory_;
  MessageSink showMessage_;
  bool tweakBusy_ = false;
};

}  // namespace nv
