#pragma once

class TForm_Tarnel;

namespace nv {

class ProcessReportList;

// The process report on the processes page. The status refresh walks the processes for it only
// while it can be seen: the window shown and not minimized, the processes page selected. A
// refresh that passed it by leaves it behind, and it catches up the moment it can be seen again.
class ProcessReportPage {
 public:
  explicit ProcessReportPage(TForm_Tarnel& window) : w_(window) {}

  bool CanBeSeen() const;
  // At each status refresh.
  void Refresh();
  // When the window or the page may have come into sight.
  void CatchUp();
  // Walks the processes now; the list is made the first time, so that a window that waits in
  // the tray and never showed this page carries no item view, model or header.
  void Update();

 private:
  TForm_Tarnel& w_;
  ProcessReportList* rows_ = nullptr;  // the rows kept in place, by PID
  bool behind_ = false;
};

}  // namespace nv
