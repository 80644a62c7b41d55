#include "shell/TShowLiveUpdateForm.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "shell/PublicFunctionUnit.h"
#include "shell/widgets/TImageEx.h"

TShowLiveUpdateForm::TShowLiveUpdateForm(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("ShowLiveUpdateForm"));
  setWindowTitle(QStringLiteral("Live Update"));
  setFixedSize(368, 136);
  QPalette background = palette();
  background.setColor(QPalette::Window, QColor(253, 253, 253));
  setPalette(background);
  setAutoFillBackground(true);

  Image1 = new TImageEx(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->move(8, 8);
  LoadButtonPicture(Image1, QStringLiteral("LiveUpdate"));

  Label1 = new QLabel(QStringLiteral("Checking the latest version, please wait..."), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  QFont georgia(QStringLiteral("Georgia"));
  georgia.setBold(true);
  georgia.setPixelSize(16);
  // Where Georgia is missing a wider serif stands in; the sentence must still fit the window,
  // with the margin of its left side on its right side too.
  const int room = width() - 2 * 12;
  while (georgia.pixelSize() > 9 && QFontMetrics(georgia).horizontalAdvance(Label1->text()) > room)
    georgia.setPixelSize(georgia.pixelSize() - 1);
  Label1->setFont(georgia);
  Label1->move(12, 96);
  Label1->adjustSize();
}

void TShowLiveUpdateForm::ShowCentred() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen) move(screen->availableGeometry().center() - rect().center());
  show();
}
