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
  int Update(const TProcessList& snapshot) { return report_.Update(ReportEntries(snapshot)); }

  void SetCell(int row, int column, const std::string& text) override;
  void DeleteRows(const std::vector<int>& rows) override;
  void AppendRows(const std::vector<const ProcessReportRow*>& rows) override;

 private:
  QTreeWidget* list_;
  ProcessReport report_;
};

}  // namespace nv
