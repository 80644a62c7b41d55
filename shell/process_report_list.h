#pragma once
#include <QObject>

#include "monitor/process_report.h"

class QTreeWidget;

namespace nv {

// The process report's rows held in the report's list widget, updated in place.
class ProcessReportList final : public QObject, public ReportRows {
  Q_OBJECT
 public:
  // Owned by `list`.
  explicit ProcessReportList(QTreeWidget* list);

  // Returns the number of rows afterwards.
  int Update(const TProcessList& snapshot);

  void SetCell(int row, int column, const std::string& text) override;
  void DeleteRows(const std::vector<int>& rows) override;
  void AppendRows(const std::vector<const ProcessReportRow*>& rows) override;

 private:
  // The last row the list shows before the update: rows taken out or added below it change
  // nothing on the screen.
  int LastShownRow() const;

  QTreeWidget* list_;
  ProcessReport report_;
  int lastShownRow_ = -1;
  bool shownRowsMoved_ = false;
  bool rowsAddedOrTaken_ = false;
};

}  // namespace nv
