#include "shell/text_look.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace nv {

QFont DesktopFont() {
  QFont font = QApplication::font();
  font.setResolveMask(QFont::AllPropertiesResolved);
  return font;
}

void ApplyTextLook(QWidget* widget, const TextLook& look) {
  SetTextColor(widget, look.color);
  QFont font = DesktopFont();
  if (look.bold) font.setBold(true);
  if (look.pixelSize > 0) font.setPixelSize(look.pixelSize);
  widget->setFont(font);
}

void SetTextColor(QWidget* widget, QRgb color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, QColor::fromRgb(color));
  widget->setPalette(palette);
}

void FillBackground(QWidget* widget, QRgb color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, QColor::fromRgb(color));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

}  // namespace nv
