#include "shell/TFrm_About.h"

#include <QLabel>
#include <QWindow>

#include "shell/PublicFunctionUnit.h"
#include "shell/program_version.h"
#include "shell/rounded_outline.h"
#include "shell/text_look.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TLinkLabel.h"
#include "update/product_values.h"

namespace {

QFont Arial() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(11);
  return font;
}

template <class Label>
Label* AboutLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = new Label(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(Arial());
  label->setAttribute(Qt::WA_TranslucentBackground);
  nv::SetTextColor(label, 0x000000);
  label->move(x, y);
  label->adjustSize();
  return label;
}

TLinkLabel* LinkLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = AboutLabel<TLinkLabel>(parent, name, text, x, y);
  QFont font = label->font();
  font.setUnderline(true);
  label->setFont(font);
  nv::SetTextColor(label, 0x0000ff);
  label->setCursor(Qt::PointingHandCursor);
  return label;
}

}  // namespace

TFrm_About::TFrm_About(nv::ShellExec& shell, nv::Dialogs& dialogs, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), shell_(shell), dialogs_(dialogs) {
  setObjectName(QStringLiteral("Frm_About"));
  QFont base(QStringLiteral("MS Sans Serif"));
  base.setPixelSize(11);
  setFont(base);
  setFixedSize(493, 350);

  Image1 = new TImageEx(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  LoadButtonPicture(Image1, QStringLiteral("About"));
  connect(Image1, &TImageEx::OnMouseDown, this,
          [this](TImageEx*, Qt::MouseButton button, int x, int y) { Image1MouseDown(button, x, y); });
  connect(Image1, &TImageEx::OnMouseMove, this,
          [this](TImageEx*, Qt::MouseButtons buttons, int x, int y) { Image1MouseMove(buttons, x, y); });

  Label26 = AboutLabel<QLabel>(this, "Label26", QStringLiteral("Current version :"), 39, 227);
  Label28 = AboutLabel<QLabel>(this, "Label28", QStringLiteral("Support OS:Windows 95/98/ME/NT4/XP/2000/2003/Vista"), 39,
                               247);
  Label29 = AboutLabel<QLabel>(this, "Label29", QStringLiteral("Web site:"), 39, 267);
  Label32 = LinkLabel(this, "Label32", QString::fromStdString("http://" + nv::UpdateHost()), 144, 267);
  Label30 = AboutLabel<QLabel>(this, "Label30", QStringLiteral("E-mail:"), 39, 287);
  Label31 = LinkLabel(this, "Label31", QString::fromStdString(nv::SupportAddress()), 144, 286);
  connect(Label32, &TLinkLabel::OnClick, this, &TFrm_About::Label32Click);
  connect(Label31, &TLinkLabel::OnClick, this, &TFrm_About::Label31Click);

  OKBtn = new TImageEx(this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->move(336, 258);
  OKBtn->setCursor(Qt::PointingHandCursor);
  LoadButtonPicture(OKBtn, QStringLiteral("OK"));
  connect(OKBtn, &TImageEx::OnClick, this, &TFrm_About::OKBtnClick);
  connect(OKBtn, &TImageEx::OnMouseEnter, this, &TFrm_About::OKBtnMouseEnter);
  connect(OKBtn, &TImageEx::OnMouseLeave, this, &TFrm_About::OKBtnMouseLeave);

  FormCreate();
}

void TFrm_About::FormCreate() {
  nv::ApplyRoundedOutline(*this, 16);
  Label26->setText(QStringLiteral("Current version : ") + QString::fromLatin1(kProgramVersion));
  Label26->adjustSize();
}

void TFrm_About::showEvent(QShowEvent* event) {
  if (parentWidget()) move(parentWidget()->geometry().center() - rect().center());
  QDialog::showEvent(event);
}

void TFrm_About::Image1MouseDown(Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton) return;
  // The window system moves the box as if its caption were dragged; where it cannot, the
  // box follows the mouse itself until the button is released.
  dragging_ = !(windowHandle() && windowHandle()->startSystemMove());
  dragOrigin_ = QPoint(x, y);
}

void TFrm_About::Image1MouseMove(Qt::MouseButtons buttons, int x, int y) {
  if (!dragging_ || !(buttons & Qt::LeftButton)) {
    dragging_ = false;
    return;
  }
  move(pos() + QPoint(x, y) - dragOrigin_);
}

void TFrm_About::OKBtnClick() { accept(); }
void TFrm_About::OKBtnMouseEnter() { LoadButtonPicture(OKBtn, QStringLiteral("OK1")); }
void TFrm_About::OKBtnMouseLeave() { LoadButtonPicture(OKBtn, QStringLiteral("OK")); }
void TFrm_About::Label32Click() { OpenUrl(shell_, dialogs_, Label32->text().toStdString()); }
void TFrm_About::Label31Click() { OpenUrl(shell_, dialogs_, "mailto:" + nv::SupportAddress()); }
