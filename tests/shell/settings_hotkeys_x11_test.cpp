// The window's hot keys through real X11 grabs: keys pressed by another client reach the
// window's actions.
#include <QAction>
#include <QTimer>
#include <QLabel>
#include <cstdlib>
#include <functional>

#include "fakes/x11_grab_probe.h"
#include "platform/linux/hotkeys/x11_hotkeys.h"
#include "shell/widgets/THotKeyEdit.h"
#include "window_fixture.h"
#include "window_probe.h"

namespace nv::test {
namespace {

class HotKeysUnderX11Test : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X display";
    window_ = std::make_unique<TForm_Tarnel>(Services{memory, processes, cpu, registry, dialogs, clipboard, x11HotKeys_,
                                                      shell, instance, privileges, http, paging, reclaimer, reclaimMeter, focus});
    window_->show();
    MakeEveryPage(*window_);
  }
  void TearDown() override {
    window_.reset();
    WindowFixture::TearDown();
  }

  // Presses keys as another client and lets the queued delivery run.
  static void Press(const char* keys) {
    const std::string command = std::string("xdotool key --clearmodifiers ") + keys;
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  static bool Until(const std::function<bool()>& condition) {
    for (int i = 0; i < 40 && !condition(); ++i) QTest::qWait(50);
    return condition();
  }

  X11HotKeys x11HotKeys_;
  std::unique_ptr<TForm_Tarnel> window_;
};

TEST_F(HotKeysUnderX11Test, AltShiftAStartsAndStopsAutoOptimization) {
  TForm_Tarnel& w = *window_;
  TForm_TarnelProbe probe(w);
  ASSERT_EQ(probe.HotKeyLabels[0]->text(), "ALT+SHIFT+'A'");
  Press("alt+shift+a");
  EXPECT_TRUE(Until([&] { return probe.Tray->pm_StartautoOptimize->text() == "Stop auto optimize"; }));
  Press("alt+shift+a");
  EXPECT_TRUE(Until([&] { return probe.Tray->pm_StartautoOptimize->text() == "Start auto optimize"; }));
}

TEST_F(HotKeysUnderX11Test, ACombinationHeldByAnotherClientReadsNotRegisterButStillActs) {
  TForm_Tarnel& w = *window_;
  TForm_TarnelProbe probe(w);
  X11GrabProbe other;
  w.ReleaseHotKeys();
  ASSERT_TRUE(other.Grab('t', XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1));
  w.ActivateHotKeys();
  EXPECT_EQ(probe.HotKeyLabels[1]->text(), "not register");
  EXPECT_EQ(probe.HotKeyLabels[0]->text(), "ALT+SHIFT+'A'");
  EXPECT_TRUE(probe.CurrentHotKeys()[1].Enabled);

  dialogs.answers = {false};
  w.WMHotKey(mod::Alt | mod::Shift, 'T');  // as if the system delivered it after all
  EXPECT_EQ(dialogs.Texts("confirm").size(), 1u) << "the overall optimization asks first";
}

TEST_F(HotKeysUnderX11Test, KeysTypedIntoASlotBoxAreCapturedFromTheRealKeyboard) {
  TForm_Tarnel& w = *window_;
  TForm_TarnelProbe probe(w);
  THotKeyEdit* tweak = probe.HotKeyEdits[1];
  w.SpeedButton_SetClick();  // the settings page
  w.activateWindow();
  tweak->setFocus();
  ASSERT_TRUE(Until([&] { return tweak->hasFocus(); }));

  Press("ctrl+alt+k");
  EXPECT_TRUE(Until([&] { return tweak->text() == "CTRL+ALT+'K'"; })) << tweak->text().toStdString();
  EXPECT_EQ(probe.PendingHotKeys()[1], (THotKeyInfo{true, 1332, mod::Control | mod::Alt, 'K'}));
  Press("shift+F1");
  EXPECT_TRUE(Until([&] { return probe.PendingHotKeys()[1].Key == 0x70u; }));
  EXPECT_EQ(probe.PendingHotKeys()[1].Modifiers, uint32_t(mod::Shift));
  EXPECT_TRUE(Until([&] { return tweak->text() == "SHIFT+'p'"; })) << tweak->text().toStdString();
  ASSERT_EQ(std::system("xdotool keydown shift"), 0);
  EXPECT_TRUE(Until([&] { return tweak->text() == "SHIFT+'\x10'"; })) << tweak->text().toStdString();
  ASSERT_EQ(std::system("xdotool keyup shift"), 0);
  EXPECT_TRUE(Until([&] { return tweak->text() == "SHIFT+'p'"; })) << "back to the pending combination";
  Press("k");
  QTest::qWait(200);
  EXPECT_EQ(probe.PendingHotKeys()[1].Key, 0x70u) << "a key without modifiers is not taken";
  EXPECT_EQ(probe.HotKeyLabels[1]->text(), "ALT+SHIFT+'T'") << "nothing registered before the save";
}

// Punctuation is taken by the key's place; a key without a code (xdotool types an accented
// letter on a spare keycode, as a non-US layout might have it) is refused and the box keeps
// the combination it had.
TEST_F(HotKeysUnderX11Test, PunctuationIsCapturedByItsKeyAndAKeyWithoutACodeIsRefused) {
  TForm_Tarnel& w = *window_;
  TForm_TarnelProbe probe(w);
  THotKeyEdit* tweak = probe.HotKeyEdits[1];
  w.SpeedButton_SetClick();
  w.activateWindow();
  tweak->setFocus();
  ASSERT_TRUE(Until([&] { return tweak->hasFocus(); }));

  Press("ctrl+semicolon");
  EXPECT_TRUE(Until([&] { return probe.PendingHotKeys()[1].Key == 0xBAu; })) << probe.PendingHotKeys()[1].Key;
  Press("ctrl+shift+colon");  // the same key, shifted
  EXPECT_TRUE(Until([&] { return probe.PendingHotKeys()[1].Modifiers == uint32_t(mod::Control | mod::Shift); }));
  EXPECT_EQ(probe.PendingHotKeys()[1].Key, 0xBAu);
  Press("ctrl+alt+k");
  ASSERT_TRUE(Until([&] { return tweak->text() == "CTRL+ALT+'K'"; }));
  Press("ctrl+eacute");
  QTest::qWait(300);
  EXPECT_EQ(probe.PendingHotKeys()[1], (THotKeyInfo{true, 1332, mod::Control | mod::Alt, 'K'}));
  EXPECT_EQ(tweak->text(), "CTRL+ALT+'K'");
}

TEST_F(HotKeysUnderX11Test, CtrlQCapturedAndSavedOnTheExitSlotEndsTheProgram) {
  TForm_Tarnel& w = *window_;
  TForm_TarnelProbe probe(w);
  QTest::keyPress(probe.HotKeyEdits[3], Qt::Key_Q, Qt::ControlModifier);
  QTest::keyRelease(probe.HotKeyEdits[3], Qt::Key_Q, Qt::ControlModifier);
  Click(probe.SpeedButton_SaveSet);  // answered Yes
  ASSERT_EQ(probe.HotKeyLabels[3]->text(), "CTRL+'Q'");
  ASSERT_EQ(probe.HotKeyLabels[2]->text(), "ALT+SHIFT+'M'");

  QTimer::singleShot(0, [] { Press("ctrl+q"); });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  watchdog.start(5000);
  EXPECT_EQ(QCoreApplication::exec(), 0) << "Ctrl+Q did not end the program";
  EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace nv::test
