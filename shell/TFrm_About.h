#pragma once
#include <QDialog>
#include <QPoint>

#include "platform/dialogs.h"
#include "platform/shellexec.h"

class QLabel;
class TImageEx;
class TLinkLabel;

// The about box: a borderless picture with the version, the supported systems, a web and a
// mail link and an OK picture button. It is moved by dragging the picture.
class TFrm_About : public QDialog {
  Q_OBJECT
 public:
  TFrm_About(nv::ShellExec& shell, nv::Dialogs& dialogs, QWidget* owner);

  TImageEx* Image1 = nullptr;
  QLabel* Label26 = nullptr;
  QLabel* Label28 = nullptr;
  QLabel* Label29 = nullptr;
  TLinkLabel* Label32 = nullptr;
  QLabel* Label30 = nullptr;
  TLinkLabel* Label31 = nullptr;
  TImageEx* OKBtn = nullptr;

  void FormCreate();
  void Image1MouseDown(Qt::MouseButton button, int x, int y);
  void Image1MouseMove(Qt::MouseButtons buttons, int x, int y);
  void OKBtnClick();
  void OKBtnMouseEnter();
  void OKBtnMouseLeave();
  void Label32Click();
  void Label31Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  nv::ShellExec& shell_;
  nv::Dialogs& dialogs_;
  bool dragging_ = false;  // moving by hand where the window system cannot move the box
  QPoint dragOrigin_;
};
