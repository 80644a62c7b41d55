#include "shell/process_report_list.h"

#include <QTreeWidget>
#include <algorithm>

namespace nv {

namespace {
// "PID", "Mem usage", "Peak mem usage" and "Page error" are figures, aligned right.
bool RightAligned(int column) { return column >= 1 && column <= 4; }
}  // namespace

ProcessReportList::ProcessReportList(QTreeWidget* list) : QObject(list), list_(list), report_(*this) {}

int ProcessReportList::LastShownRow() const {
  const QModelIndex last = list_->indexAt(QPoint(0, list_->viewport()->height() - 1));
  return last.isValid() ? last.row() : -1;
}

// Taking out or adding a row makes the list lay out its rows again, and that repaints the whole
// list (about two thirds of the update's time with 1000 rows). When every row taken out or
// added lies below the shown ones, the layout is done here with the list's painting held off,
// so that a process that starts or ends out of sight repaints nothing.
int ProcessReportList::Update(const TProcessList& snapshot) {
  lastShownRow_ = LastShownRow();
  shownRowsMoved_ = lastShownRow_ < 0;  // the list is not full: any row added shows
  rowsAddedOrTaken_ = false;
  const int rows = report_.Update(ReportEntries(snapshot));
  if (rowsAddedOrTaken_ && !shownRowsMoved_) {
    QWidget* viewport = list_->viewport();
    const bool held = viewport->testAttribute(Qt::WA_UpdatesDisabled);
    // Not setUpdatesEnabled(): turning updates back on with it repaints the whole list.
    viewport->setAttribute(Qt::WA_UpdatesDisabled, true);
    list_->doItemsLayout();
    viewport->setAttribute(Qt::WA_UpdatesDisabled, held);
  }
  return rows;
}

void ProcessReportList::SetCell(int row, int column, const std::string& text) {
  list_->topLevelItem(row)->setText(column, QString::fromStdString(text));
}

void ProcessReportList::DeleteRows(const std::vector<int>& rows) {
  if (rows.empty()) return;
  rowsAddedOrTaken_ = true;
  if (*std::min_element(rows.begin(), rows.end()) <= lastShownRow_) shownRowsMoved_ = true;
  // From the bottom up, so that the numbers of the rows still to go stay valid.
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) delete list_->takeTopLevelItem(*it);
}

void ProcessReportList::AppendRows(const std::vector<const ProcessReportRow*>& rows) {
  if (rows.empty()) return;
  rowsAddedOrTaken_ = true;
  if (list_->topLevelItemCount() <= lastShownRow_) shownRowsMoved_ = true;
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (const ProcessReportRow* texts : rows) {
    auto* item = new QTreeWidgetItem;
    for (int column = 0; column < kProcessReportColumns; ++column) {
      item->setText(column, QString::fromStdString((*texts)[column]));
      if (RightAligned(column)) item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    items.push_back(item);
  }
  list_->addTopLevelItems(items);
}

}  // namespace nv
