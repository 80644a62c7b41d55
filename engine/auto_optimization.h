#pragma once
#include <optional>
#include <string>

#include "engine/trim_backoff.h"
#include "engine/trim_pass.h"
#include "platform/clipboard.h"
#include "platform/memory.h"

namespace nv {

// What the run/stop controls show in each state of auto-optimization.
namespace auto_texts {
inline constexpr char kStartCaption[] = "Start auto optimize";
inline constexpr char kStopCaption[] = "Stop auto optimize";
inline constexpr char kRunning[] = "Auto optimizing...";
inline constexpr char kRunningLong[] = "Auto optimizing......";
inline constexpr char kTweaking[] = "Auto optimizing(Tweak memory)";
inline constexpr char kStartPicture[] = "SpeedButton_RunAuto1";
inline constexpr char kStopPicture[] = "SpeedButton_RunAuto3";
inline constexpr int kRunningTag = 3;
inline constexpr int kStoppedTag = 0;
}  // namespace auto_texts

// The pass timer's interval for a number of seconds. A Windows timer of interval 0 never
// fires, while a 0 ms timer of most toolkits fires without pause; so 0, a negative number and
// one beyond about 24 days give the longest interval: the timer runs but does not tick.
int AutoTimerIntervalMs(int seconds);

// The running text after a tick has flipped the dots phase to `phase`.
const char* AutoDotsText(bool phase);

// The stop test: true when available physical memory is at or above the threshold, that is
// when the threshold is not strictly greater than the available share.
bool EnoughMemoryAvailable(const MemoryStatusEx& status, int thresholdPercent);

struct AutoPassOptions {
  std::optional<int> stopThresholdPercent;  // set while the stop test applies
  bool emptyClipboard = false;
};

// What a tick of auto-optimization did.
struct AutoPassResult {
  bool trimmed = false;
  std::optional<std::string> waiting;  // why the tick trimmed nothing, when the back-off held it
};

// One pass after its texts are set: the stop test, then the clipboard when asked and, unless
// the back-off holds it, a trim pass under the idle rule.
AutoPassResult RunAutoOptimizationPass(Memory& memory, TrimPass& pass, TrimBackoff& backoff, Clipboard& clipboard,
                                       const AutoPassOptions& options);

}  // namespace nv
