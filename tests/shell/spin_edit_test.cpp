// The number fields of the settings page: what can be typed, bounds on leaving, conversion.
#include <QFocusEvent>
#include <QLocale>

#include "platform/error.h"
#include "shell/widgets/TSpinEdit.h"
#include "window_fixture.h"

namespace {

class SpinEditTest : public ::testing::Test {
 protected:
  void SetUp() override { nv::test::TestApplication(dialogs); }
  static void LeaveField(TSpinEdit& e) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&e, &out);
  }
  nv::test::ScriptedDialogs dialogs;
};

TEST_F(SpinEditTest, OnlyDigitsSignsAndTheSeparatorCanBeTyped) {
  const QString separator = QLocale().decimalPoint();
  TSpinEdit e(1, 59, 3);
  e.clear();
  QTest::keyClicks(&e, "a1 b+-x" + separator + "9Z");
  EXPECT_EQ(e.text(), "1+-" + separator + "9");
}

TEST_F(SpinEditTest, BoundsApplyOnLeavingExceptToTextsThatAreNoWholeNumber) {
  const QString separator = QLocale().decimalPoint();
  const std::pair<QString, QString> cases[] = {
      {"75", "59"}, {"0", "1"},   {"-4", "1"},  {"+7", "+7"}, {"59", "59"},
      {"", ""},     {"-", "-"},   {"+", "+"},   {"5" + separator + "5", "5" + separator + "5"},
  };
  for (const auto& [typed, left] : cases) {
    TSpinEdit e(1, 59, 3);
    e.setText(typed);
    LeaveField(e);
    EXPECT_EQ(e.text(), left) << typed.toStdString();
  }
}

TEST_F(SpinEditTest, ValueIsTheWholeNumberOrAnErrorNamingTheText) {
  TSpinEdit e(1, 100, 50);
  const std::pair<QString, int> numbers[] = {{"50", 50}, {"+7", 7}, {"-3", -3}, {"500", 500}, {"007", 7}};
  for (const auto& [text, value] : numbers) {
    e.setText(text);
    EXPECT_EQ(e.Value(), value) << text.toStdString();
  }
  for (const QString text : {"", "-", "1.5", "1,5", "12a", "99999999999"}) {
    e.setText(text);
    try {
      e.Value();
      ADD_FAILURE() << "no error for '" << text.toStdString() << "'";
    } catch (const nv::Error& error) {
      EXPECT_EQ(error.what(), "'" + text.toStdString() + "' is not a valid integer value");
    }
  }
}

TEST_F(SpinEditTest, ArrowKeysStepWithinBoundsAndSetValueDoesNotClamp) {
  TSpinEdit e(1, 59, 58);
  QTest::keyClick(&e, Qt::Key_Up);
  QTest::keyClick(&e, Qt::Key_Up);
  EXPECT_EQ(e.text(), "59");
  e.setText("");
  QTest::keyClick(&e, Qt::Key_Down);
  EXPECT_EQ(e.text(), "1");
  e.setValue(500);
  EXPECT_EQ(e.text(), "500");
  QTest::keyClick(&e, Qt::Key_Down);
  EXPECT_EQ(e.text(), "59");  // a number beyond the bounds steps back inside them
  e.setText("2147483647");
  QTest::keyClick(&e, Qt::Key_Up);
  EXPECT_EQ(e.text(), "59");
}

}  // namespace
