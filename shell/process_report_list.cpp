#include "shell/process_report_list.h"

#include <QTreeWidget>

namespace nv {

namespace {
// "PID", "Mem usage", "Peak mem usage" and "Page error" are figures, aligned right.
bool RightAligned(int column) { return column >= 1 && column <= 4; }
}  // namespace

ProcessReportList::ProcessReportList(QTreeWidget* list) : QObject(list), list_(list), report_(*this) {}

void ProcessReportList::SetCell(int row, int column, const std::string& text) {
  list_->topLevelItem(row)->setText(column, QString::fromStdString(text));
}

void ProcessReportList::DeleteRows(const std::vector<int>& rows) {
  // From the bottom up, so that the numbers of the rows still to go stay valid.
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) delete list_->takeTopLevelItem(*it);
}

void ProcessReportList::AppendRows(const std::vector<const ProcessReportRow*>& rows) {
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
