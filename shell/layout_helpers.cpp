#include "shell/layout_helpers.h"

#include <QLabel>

#include "shell/PublicFunctionUnit.h"
#include "shell/widgets/TImageEx.h"

namespace nv::layout {

QLabel* Label(QWidget* parent, const QString& text, int x, int y, int width, const TextLook* look) {
  auto* label = new QLabel(text, parent);
  if (look) ApplyTextLook(label, *look);
  label->move(x, y);
  if (width > 0)
    label->resize(width, label->sizeHint().height());
  else
    label->adjustSize();
  return label;
}

QLabel* Heading(QWidget* parent, const QString& text, int x, int y, int width) {
  QLabel* heading = Label(parent, text, x, y, width, &kHeadingLook);
  auto* rule = new QWidget(parent);
  FillBackground(rule, 0x26c4b6);
  rule->setGeometry(x, y + heading->height() + 2, width, 1);
  return heading;
}

TImageEx* PictureButton(QWidget* parent, const char* objectName, const QString& picture, int x, int y) {
  auto* button = Named(new TImageEx(parent), objectName);
  button->move(x, y);
  button->setCursor(Qt::PointingHandCursor);
  LoadButtonPicture(button, picture);
  return button;
}

}  // namespace nv::layout
