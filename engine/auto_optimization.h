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
// The run buttons' pictures, at rest and under the mouse.
inline constexpr char kStartPicture[] = "SpeedButton_RunAuto1";
inline constexpr char kStartHoverPicture[] = "SpeedButton_RunAuto";
inline constexpr char kStopPicture[] = "SpeedButton_RunAuto3";
inline constexpr char kStopHoverPicture[] = "SpeedButton_RunAuto2";
// The buttons' mark (Tag), which tells their pictures which state they show.
inline constexpr int kRunningTag = 3;
inline constexpr int kStoppedTag = 0;
}  // namespace auto_texts

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
  std::optional<Failure> statusFailure;     // the stop test had no figures
  std::optional<Failure> clipboardFailure;  // the clipboard was asked to be emptied and was not
};

// One pass after its texts are set: the stop test, then the clipboard when asked and, unless
// the back-off holds it, a trim pass under the idle rule, at `now`.
AutoPassResult RunAutoOptimizationPass(Memory& memory, TrimPass& pass, TrimBackoff& backoff, Clipboard& clipboard,
                                       const AutoPassOptions& options, TrimClock::time_point now = TrimClock::now());

}  // namespace nv
