#include "shell/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/product.h"

namespace nv {
namespace {

const QString kBoxTitle = QString::fromUtf8(kProductTitle);

QMessageBox::Icon BoxIcon(Dialogs::Icon icon) {
  switch (icon) {
    case Dialogs::Icon::Information:
      return QMessageBox::Information;
    case Dialogs::Icon::Question:
      return QMessageBox::Question;
    case Dialogs::Icon::Error:
      return QMessageBox::Critical;
    case Dialogs::Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// Texts written for the Windows boxes break lines with a carriage return.
QString BoxText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(u'\r', u'\n');
  return s;
}

QString ApplicationTitle() {
  const QString name = QApplication::applicationDisplayName();
  return name.isEmpty() ? kBoxTitle : name;
}

int Show(QMessageBox& box) {
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec();
}

}  // namespace

void QtDialogs::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), BoxText(text), QMessageBox::Ok);
  Show(box);
}

bool QtDialogs::AskYesNo(const std::string& text, Icon icon) {
  QMessageBox box(BoxIcon(icon), kBoxTitle, BoxText(text), QMessageBox::Yes | QMessageBox::No);
  return Show(box) == QMessageBox::Yes;
}

bool QtDialogs::Confirm(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), BoxText(text));
  QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
  QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel);
  Show(box);
  return box.clickedButton() == yes;
}

void QtDialogs::Inform(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Information, QString::fromStdString(title), BoxText(text), QMessageBox::Ok);
  Show(box);
}

void QtDialogs::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), BoxText(text), QMessageBox::Ok);
  Show(box);
}

}  // namespace nv
