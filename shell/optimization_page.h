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
// Their state lives here, not in the processes page's controls: the tray and the hot keys use
// it while that page may not be made yet, and the page shows it once made.
class OptimizationPage {
 public:
  explicit OptimizationPage(TForm_Tarnel& window);

  // Asks, then tweaks and trims at the chosen level with the gauge following.
  void RunOverall();
  // The level of the memory tweak, 1 to 5; the slider shows it and names it. A level outside
  // that range changes nothing.
  int Level() const { return level_; }
  void SetLevel(int level);
  // Fills the processes page's controls, just made, with the current state.
  void ShowOnPage();
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
  void ShowTrimResult(const QString& text);
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
  int level_ = 1;
  bool overallRunning_ = false;
  QString trimResult_;  // what the last pass achieved, or why the ticks wait
  bool autoDotsPhase_ = false;
  bool privilegeMissingSaid_ = false;  // the box that tells why nothing was trimmed has been shown
};

}  // namespace nv
