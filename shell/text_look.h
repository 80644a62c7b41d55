#pragma once
// How the program's own texts look, set through the widget's palette and font. Style sheets
// would do the same in one line, but each widget given one keeps a style object, parsed rules
// and caches of its own (about 30 kB of heap per label) for the whole life of the window.
#include <QFont>
#include <QRgb>

class QWidget;

namespace nv {

struct TextLook {
  QRgb color;
  bool bold = false;
  // The desktop font's size when 0.
  int pixelSize = 0;
};

// The desktop's font, set so that it no longer follows the parent's. Texts that stand out from
// the window's small 11-pixel face (figures, hints, headings, the settings groups) use it.
QFont DesktopFont();

// Colours the widget's text and sets it in the desktop font, bold or resized as the look asks.
void ApplyTextLook(QWidget* widget, const TextLook& look);

// Colours the widget's text, keeping its font.
void SetTextColor(QWidget* widget, QRgb color);

// Gives the widget a plain background of that colour.
void FillBackground(QWidget* widget, QRgb color);

}  // namespace nv
