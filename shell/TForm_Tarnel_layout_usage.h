#pragma once
class QWidget;
class TForm_Tarnel;

namespace nv::layout {
// The usage page: gauges, charts and the auto-optimization button.
QWidget* BuildUsagePage(TForm_Tarnel& w);
}  // namespace nv::layout
