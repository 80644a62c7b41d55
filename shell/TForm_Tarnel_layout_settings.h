#pragma once
class QWidget;
class TForm_Tarnel;

namespace nv::layout {
QWidget* BuildSettingsPage(TForm_Tarnel& w);
}  // namespace nv::layout
