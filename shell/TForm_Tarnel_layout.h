#pragma once
// Builders of the main window's regions and pages, shared by the TForm_Tarnel_layout*.cpp files.
#include <QString>

class QLabel;
class QWidget;
class TForm_Tarnel;
class TImageEx;

namespace nv::layout {

// Palette of the window's own texts.
inline constexpr const char* kHeadingStyle = "color:#0b2545; font-weight:bold; font-size:12px;";
inline constexpr const char* kFigureStyle = "color:purple;";
inline constexpr const char* kHintStyle = "color:#5a6b78;";

// A label at a place; it takes the size its text needs unless a width is given.
QLabel* Label(QWidget* parent, const QString& text, int x, int y, int width = 0, const char* style = nullptr);
// A section title with a teal rule under it, across the given width.
QLabel* Heading(QWidget* parent, const QString& text, int x, int y, int width);
// A picture button showing its named picture, with the hand cursor.
TImageEx* PictureButton(QWidget* parent, const char* objectName, const QString& picture, int x, int y);
// Gives a control its member's name, so that tests and tools can find it.
template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QWidget* BuildUsagePage(TForm_Tarnel& w);
QWidget* BuildProcessesPage(TForm_Tarnel& w);
QWidget* BuildOverallPage(TForm_Tarnel& w);
QWidget* BuildSettingsPage(TForm_Tarnel& w);

}  // namespace nv::layout
