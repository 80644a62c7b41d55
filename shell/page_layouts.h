#pragma once
// The builders of the main window's pages, each in its TForm_Tarnel_layout_<page>.cpp.
class QTreeWidget;
class QWidget;
class TForm_Tarnel;

namespace nv::layout {

// The usage page: gauges, charts and the auto-optimization button.
QWidget* BuildUsagePage(TForm_Tarnel& w);
QWidget* BuildProcessesPage(TForm_Tarnel& w);
// The process report's list, on the processes page.
QTreeWidget* BuildProcessReport(QWidget* page);
QWidget* BuildOverallPage(TForm_Tarnel& w);
QWidget* BuildSettingsPage(TForm_Tarnel& w);

}  // namespace nv::layout
