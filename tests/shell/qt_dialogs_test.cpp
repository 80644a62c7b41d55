// The message boxes as the user sees them: caption, icon, buttons, text.
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "shell/QtDialogs.h"
#include "window_fixture.h"

namespace {

struct SeenBox {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
};

// Reads the box that `show` opens and presses the button with the given caption (the first
// one when empty). Nothing is asserted while the box is open: a failure there would leave it
// open and the test would hang.
SeenBox Answer(const std::function<void()>& show, const QString& press = {}) {
  SeenBox seen;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen = {box->windowTitle(), box->text(), box->icon(), {}};
    QAbstractButton* chosen = nullptr;
    for (QAbstractButton* b : box->buttons()) {
      seen.buttons << b->text();
      if (!chosen && (press.isEmpty() || b->text() == press)) chosen = b;
    }
    if (chosen) chosen->click();
    else box->close();
  });
  show();
  return seen;
}

class QtDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { nv::test::TestApplication(scripted).setApplicationDisplayName("Velqor Norvane"); }
  nv::test::ScriptedDialogs scripted;
  nv::QtDialogs dialogs;
};

TEST_F(QtDialogsTest, PlainInformationAndErrorBoxes) {
  SeenBox plain = Answer([&] { dialogs.ShowMessage("Clipboard has been cleaned!"); });
  EXPECT_EQ(plain.title, "Velqor Norvane");
  EXPECT_EQ(plain.text, "Clipboard has been cleaned!");
  EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
  EXPECT_EQ(plain.buttons, QStringList({"OK"}));

  SeenBox info = Answer([&] { dialogs.Inform("Information", "Virtual memory configure successfully."); });
  EXPECT_EQ(info.title, "Information");
  EXPECT_EQ(info.icon, QMessageBox::Information);
  EXPECT_EQ(info.buttons, QStringList({"OK"}));

  SeenBox error = Answer([&] { dialogs.ShowError("OpenProcessToken ERROR"); });
  EXPECT_EQ(error.title, "Error");
  EXPECT_EQ(error.text, "OpenProcessToken ERROR");
  EXPECT_EQ(error.icon, QMessageBox::Critical);
  EXPECT_EQ(error.buttons, QStringList({"OK"}));
}

TEST_F(QtDialogsTest, QuestionsProceedOnlyOnYes) {
  bool answer = true;
  SeenBox no = Answer([&] { answer = dialogs.AskYesNo("Are you sure to save the settings?"); }, "&No");
  EXPECT_FALSE(answer);
  EXPECT_EQ(no.title, "Velqor Norvane");
  EXPECT_EQ(no.icon, QMessageBox::NoIcon);
  EXPECT_EQ(no.buttons.size(), 2);
  Answer([&] { answer = dialogs.AskYesNo("Are you sure to save the settings?"); }, "&Yes");
  EXPECT_TRUE(answer);

  SeenBox confirm = Answer([&] { answer = dialogs.Confirm("This function could free a lot. \rConfirm to proceed?"); }, "Cancel");
  EXPECT_FALSE(answer);
  EXPECT_EQ(confirm.title, "Confirm");
  EXPECT_EQ(confirm.icon, QMessageBox::Question);
  EXPECT_EQ(confirm.text, "This function could free a lot. \nConfirm to proceed?");
  EXPECT_TRUE(confirm.buttons.contains("&Yes") && confirm.buttons.contains("Cancel")) << confirm.buttons.join(",").toStdString();
  Answer([&] { answer = dialogs.Confirm("Confirm to proceed?"); }, "&Yes");
  EXPECT_TRUE(answer);
}

}  // namespace
