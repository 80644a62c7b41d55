#pragma once
#include <QString>
#include <string>

#include "engine/memory_tweak.h"
#include "engine/trim_backoff.h"
#include "engine/trim_pass.h"
#include "platform/log.h"

class QTimer;
class TForm_Tarnel;
class TForm_TarnelProbe;

namespace nv {

// Overall optimization, auto-optimization with its trim passes and what each pass achieved,
// and the one-click clipboard and paging-file actions. The window's handlers call into it.
class OptimizationPage {
 public:
  explicit OptimizationPage(TForm_Tarnel& window);

  // Asks, then tweaks and trims at the level of the slider with the gauge following.
  void RunOverall();
  void ShowLevel();
  // Starts auto-optimization when stopped, stops it when running.
  void ToggleAuto();
  // One tick of auto-optimization: a pass, unless the threshold or the back-off holds it.
  void AutoTick();
  void EmptyClipboard();
  void LetSystemManagePaging();

 private:
  friend class ::TForm_TarnelProbe;

  void SetAutoOptimizeLook(int tag, const char* picture);  // both run/stop buttons
  void SetAutoOptimizeText(const QString& text);           // status panel and label, repainted
  // Counts what comes back after a pass, once a second.
  void WatchTick();
  // The first pass that trims nothing for want of the privilege says so, once per run of the
  // program, with what mends it; `missing` is nullptr when the pass was not such a one.
  void SayPrivilegeMissing(const ReclaimOutcome* missing);

  TForm_Tarnel& w_;
  QTimer* trimWatch_;
  MemoryTweak tweak_;
  TrimPass autoTrim_;
  TrimBackoff autoTrimBackoff_;
  FailureRunLog autoClipboardLog_{LogLevel::Warning, "Auto-optimization did not empty the clipboard"};
  bool autoDotsPhase_ = false;
  bool privilegeMissingSaid_ = false;  // the box that tells why nothing was trimmed has been shown
};

}  // namespace nv
