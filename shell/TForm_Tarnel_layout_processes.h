#pragma once
class QTreeWidget;
class QWidget;
class TForm_Tarnel;

namespace nv::layout {
QWidget* BuildProcessesPage(TForm_Tarnel& w);
// The process report's list, on the processes page.
QTreeWidget* BuildProcessReport(QWidget* page);
QWidget* BuildOverallPage(TForm_Tarnel& w);
}  // namespace nv::layout
