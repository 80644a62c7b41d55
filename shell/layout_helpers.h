#pragma once
// Builders of the small parts every page and menu of the main window is made of.
#include <QString>

#include "shell/text_look.h"

class QLabel;
class QWidget;
class TImageEx;

namespace nv::layout {

// Looks of the window's own texts.
inline constexpr TextLook kHeadingLook{0x0b2545, true, 12};
inline constexpr TextLook kFigureLook{0x800080};
inline constexpr TextLook kHintLook{0x5a6b78};

// A label at a place; it takes the size its text needs unless a width is given.
QLabel* Label(QWidget* parent, const QString& text, int x, int y, int width = 0, const TextLook* look = nullptr);
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

}  // namespace nv::layout
