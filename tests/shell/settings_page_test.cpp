// The settings page and the hot keys of the main window, over test doubles.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <climits>

#include "platform/error.h"
#include "platform/hotkeys.h"
#include "platform/linux/registry/autostart_entry.h"
#include "platform/linux/registry/hive_registry.h"
#include "platform/linux/hotkeys/x11_hotkeys.h"
#include "platform/temp_folder.h"
#include "settings/set_info.h"
#include "settings/settings_store.h"
#include "shell/widgets/THotKeyEdit.h"
#include "shell/widgets/TSpinEdit.h"
#include "window_fixture.h"
#include "window_probe.h"

namespace nv::test {
namespace {

constexpr auto HKLM = RootKey::HKeyLocalMachine;
constexpr uint32_t kAltShift = mod::Alt | mod::Shift;

class SettingsPageTest : public WindowFixture {
 protected:
  void Store(const RegValue& value) {
    registry.Set(HKLM, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue, value);
  }
  void Store(const TSetInfo& record) {
    const auto bytes = SerializeSetInfo(record);
    Store(RegValue::Binary({bytes.begin(), bytes.end()}));
  }
  const RegValue* Stored() const { return registry.Get(HKLM, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue); }
  void StoreRun(const RegValue& value) { registry.Set(HKLM, kRunKeyPath, kAutostartValueName, value); }
  const RegValue* Run() const { return registry.Get(HKLM, kRunKeyPath, kAutostartValueName); }
  static std::string ProgramPath() { return QCoreApplication::applicationFilePath().toStdString(); }

  // The first showing runs load, save and apply; then the user opens the settings page.
  TForm_Tarnel& Shown() {
    Window().show();
    Window().SpeedButton_SetClick();
    return Window();
  }
  std::vector<std::string> Labels() {
    std::vector<std::string> texts;
    for (QLabel* label : Probe().HotKeyLabels) texts.push_back(label->text().toStdString());
    return texts;
  }
  std::vector<std::string> EditTexts() {
    std::vector<std::string> texts;
    for (THotKeyEdit* edit : Probe().HotKeyEdits) texts.push_back(edit->text().toStdString());
    return texts;
  }
  std::vector<uint8_t> Bytes(const TSetInfo& record) {
    const auto bytes = SerializeSetInfo(record);
    return {bytes.begin(), bytes.end()};
  }
};

const std::vector<std::string> kDefaultTexts = {"ALT+SHIFT+'A'", "ALT+SHIFT+'T'", "ALT+SHIFT+'M'", "ALT+SHIFT+'E'"};

TEST_F(SettingsPageTest, FirstStartStoresTheDefaultsAndRegistersTheFourHotKeys) {
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  ASSERT_NE(Stored(), nullptr);
  EXPECT_EQ(Stored()->type, reg::Binary);
  EXPECT_EQ(Stored()->data, Bytes(TSetInfo{}));
  EXPECT_EQ(Run(), nullptr);
  EXPECT_FALSE(probe.CheckBox_AutoStart->isChecked());

  EXPECT_EQ(hotKeys.registered, (std::multimap<int, FakeHotKeys::Combination>{
                                    {1331, {kAltShift, 'A'}}, {1332, {kAltShift, 'T'}}, {1333, {kAltShift, 'M'}}, {1334, {kAltShift, 'E'}}}));
  EXPECT_EQ(Labels(), kDefaultTexts);
  EXPECT_EQ(EditTexts(), kDefaultTexts);

  EXPECT_EQ(probe.SpinEdit_Time->text(), "1");
  EXPECT_EQ(probe.SpinEdit_bstopauto->text(), "70");
  EXPECT_EQ(probe.SpinEdit_ProcessListTime->text(), "2");
  EXPECT_TRUE(probe.CheckBox_bstopauto->isChecked());
  EXPECT_TRUE(probe.CheckBox_CloseMinimize->isChecked());
  EXPECT_FALSE(probe.CheckBox_Auto->isChecked());
  EXPECT_EQ(probe.Timer_Auto->interval(), 1000);
  EXPECT_FALSE(probe.Timer_Auto->isActive());
  EXPECT_EQ(probe.Timer_GetProcessInfo->interval(), 2000);
  EXPECT_TRUE(probe.Timer_GetProcessInfo->isActive());
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsPageTest, AShortStoredValueSetsTheOptionsAndKeepsTheDefaultHotKeys) {
  std::vector<uint8_t> options(28, 0);
  options[0] = 2;    // EmptyClipboard, any non-zero byte
  options[4] = 7;    // AutoTime
  options[12] = 40;  // StopAutoPercent; StopAuto stays 0
  options[20] = 5;   // ProcessListTime; AutoProcessList stays 0
  options[26] = 1;   // MinimizeStart
  Store(RegValue::Binary(options));
  auto& w = Shown();
  TForm_TarnelProbe probe(w);

  EXPECT_TRUE(probe.CheckBox_EmptyClipboard->isChecked());
  EXPECT_EQ(probe.SpinEdit_Time->text(), "7");
  EXPECT_FALSE(probe.CheckBox_bstopauto->isChecked());
  EXPECT_FALSE(probe.SpinEdit_bstopauto->isEnabled());
  EXPECT_EQ(probe.SpinEdit_bstopauto->text(), "40");
  EXPECT_FALSE(probe.CheckBox_AutoProcessList->isChecked());
  EXPECT_FALSE(probe.SpinEdit_ProcessListTime->isEnabled());
  EXPECT_FALSE(probe.Timer_GetProcessInfo->isActive());
  EXPECT_TRUE(probe.CheckBox_MinimizeStart->isChecked());
  EXPECT_EQ(Labels(), kDefaultTexts);

  // The start-up save writes the whole record back, the boolean as 1.
  ASSERT_NE(Stored(), nullptr);
  ASSERT_EQ(Stored()->data.size(), kSetInfoSize);
  EXPECT_EQ(Stored()->data[0], 1);
  EXPECT_EQ(Stored()->data, Bytes(SetInfoFromStoredBytes(options)));
}

TEST_F(SettingsPageTest, StoredIntervalsAreShownAsTheyAreAndApplied) {
  struct Case {
    int32_t seconds;
    int interval;
  };
  // A system timer of interval 0 never fires; the longest QTimer interval stands for that.
  MakeEveryPage(Window());
  for (const Case c : {Case{500, 500000}, Case{0, INT_MAX}}) {
    TSetInfo record;
    record.AutoTime = c.seconds;
    record.ProcessListTime = c.seconds;
    Store(record);
    Window().LoadSettings(false);
    EXPECT_EQ(Probe().SpinEdit_Time->text().toStdString(), std::to_string(c.seconds));
    Window().SpeedButton_AppSetClick();
    EXPECT_EQ(Probe().Timer_Auto->interval(), c.interval) << c.seconds;
    EXPECT_EQ(Probe().Timer_GetProcessInfo->interval(), c.interval) << c.seconds;
    EXPECT_TRUE(Probe().Timer_GetProcessInfo->isActive()) << c.seconds;
  }
}

TEST_F(SettingsPageTest, ARejectedValueChangesNothing) {
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  probe.SpinEdit_Time->setText(QStringLiteral("9"));
  const TSetInfo settingsBefore = probe.Settings();
  ASSERT_EQ(settingsBefore.AutoTime, 9) << "an edit on the page is in effect";
  const auto registeredBefore = hotKeys.registered;
  const RegValue rejected[] = {RegValue::Binary(std::vector<uint8_t>(93, 1)), RegValue::String("x"), RegValue::Dword(1)};
  for (const auto& value : rejected) {
    Store(value);
    try {
      w.LoadSettings(false);
      ADD_FAILURE() << "accepted type " << value.type;
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Invalid data type for 'NvSetInfo'");
    }
    EXPECT_EQ(probe.SpinEdit_Time->text(), "9");
    EXPECT_EQ(probe.Settings(), settingsBefore);
    EXPECT_EQ(hotKeys.registered, registeredBefore);
    EXPECT_EQ(hotKeys.unregisterCalls.size(), 4u) << "only the start-up save released";
  }
}

// The settings are the window's, not its page's: until the page is first opened it is not
// built, and the stored settings are loaded, saved back, applied and acted on all the same.
// Opened later, the page shows them and the hot keys' statuses of the start, and its edits act.
TEST_F(SettingsPageTest, ThePageIsBuiltWhenFirstOpenedAndShowsWhatTheProgramRunsOn) {
  TSetInfo record;
  record.EmptyClipboard = true;
  record.AutoTime = 9;
  record.StopAutoPercent = 40;
  record.ProcessListTime = 4;
  record.AutoOnStart = true;
  record.HotKeys[1] = {true, 1332, mod::Control, 'K'};
  Store(record);
  hotKeys.takenElsewhere.insert({kAltShift, 'M'});
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();

  EXPECT_EQ(w.findChild<QCheckBox*>("CheckBox_EmptyClipboard"), nullptr) << "the page is not built before it is opened";
  EXPECT_EQ(w.findChild<QLabel*>("Label_hk3"), nullptr);
  EXPECT_EQ(Stored()->data, Bytes(record)) << "the start-up save wrote the same settings back";
  EXPECT_EQ(hotKeys.registered.find(1332)->second, FakeHotKeys::Combination(mod::Control, 'K'));
  EXPECT_EQ(probe.Timer_GetProcessInfo->interval(), 4000);
  EXPECT_TRUE(probe.Timer_Auto->isActive()) << "started at the first showing";
  EXPECT_EQ(probe.Timer_Auto->interval(), 9000);

  memory.status = FakeMemory::StatusMB(1000, 500, 2000, 1000);  // 50 % available
  w.Timer_AutoTimer();
  EXPECT_EQ(clipboard.cleans, 0) << "the threshold of 40 holds the pass back";
  memory.status = FakeMemory::StatusMB(1000, 300, 2000, 1000);
  w.Timer_AutoTimer();
  EXPECT_EQ(clipboard.cleans, 1);

  w.SpeedButton_SetClick();
  ASSERT_EQ(w.findChild<QCheckBox*>("CheckBox_EmptyClipboard"), probe.CheckBox_EmptyClipboard);
  ASSERT_NE(probe.CheckBox_EmptyClipboard, nullptr);
  EXPECT_EQ(probe.Notebook1->activePage(), "Settings");
  EXPECT_TRUE(probe.CheckBox_EmptyClipboard->isChecked());
  EXPECT_TRUE(probe.CheckBox_Auto->isChecked());
  EXPECT_EQ(probe.SpinEdit_Time->text(), "9");
  EXPECT_EQ(probe.SpinEdit_bstopauto->text(), "40");
  EXPECT_EQ(probe.SpinEdit_ProcessListTime->text(), "4");
  EXPECT_EQ(EditTexts(), (std::vector<std::string>{"ALT+SHIFT+'A'", "CTRL+'K'", "ALT+SHIFT+'M'", "ALT+SHIFT+'E'"}));
  EXPECT_EQ(Labels(), (std::vector<std::string>{"ALT+SHIFT+'A'", "CTRL+'K'", "not register", "ALT+SHIFT+'E'"}));
  EXPECT_EQ(probe.HotKeyLabels[2]->toolTip(), "taken by another program");
  EXPECT_EQ(probe.HotKeyLabels[1]->toolTip(), "");

  // An edit acts at once and is written only by the save.
  probe.SpinEdit_bstopauto->setText(QStringLiteral("60"));
  EXPECT_EQ(probe.Settings().StopAutoPercent, 60);
  memory.status = FakeMemory::StatusMB(1000, 500, 2000, 1000);
  w.Timer_AutoTimer();
  EXPECT_EQ(clipboard.cleans, 2) << "50 % available, held back at 40, is under the new threshold";
  EXPECT_EQ(Stored()->data, Bytes(record));
  Click(probe.SpeedButton_SaveSet);
  EXPECT_EQ(SetInfoFromStoredBytes(Stored()->data).StopAutoPercent, 60);
  EXPECT_TRUE(dialogs.Texts("error").empty());
  EXPECT_TRUE(dialogs.Texts("message").empty());
}

TEST_F(SettingsPageTest, AutostartEntryIsKeptOnlyWhenItNamesThisProgram) {
  struct Case {
    const char* what;
    std::optional<RegValue> entry;
    bool checked;
  };
  std::string loose = ProgramPath();
  for (char& c : loose) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const Case cases[] = {
      {"case and blanks", RegValue::String(" " + loose + "\t "), true},
      {"other path", RegValue::String("/usr/bin/other"), false},
      {"expandable string", RegValue::String(ProgramPath(), reg::ExpandSz), false},
      {"no entry", std::nullopt, false},
  };
  MakeEveryPage(Window());
  for (const auto& c : cases) {
    registry.keys.clear();
    if (c.entry) StoreRun(*c.entry);
    Window().LoadSettings(false);
    EXPECT_EQ(Probe().CheckBox_AutoStart->isChecked(), c.checked) << c.what;
    ASSERT_NO_THROW(Window().SaveSettings()) << c.what;
    if (c.checked) {
      ASSERT_NE(Run(), nullptr) << c.what;
      EXPECT_EQ(*Run(), RegValue::String(ProgramPath())) << c.what;
    } else {
      EXPECT_EQ(Run(), nullptr) << c.what;
    }
  }
}

TEST_F(SettingsPageTest, RestoringTheDefaultsShowsAndRegistersThemButWritesNothing) {
  TSetInfo record;
  record.AutoTime = 30;
  record.HotKeys[0] = {true, 1331, mod::Control, 'J'};
  Store(record);
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  ASSERT_FALSE(probe.CheckBox_AutoStart->isChecked());
  const int writes = registry.writes;

  dialogs.answers = {false};
  w.SpeedButton_DefayktClick();
  EXPECT_EQ(probe.SpinEdit_Time->text(), "30") << "No keeps the page";

  w.SpeedButton_DefayktClick();
  EXPECT_EQ(dialogs.Texts("yesno").back(), "Are you sure to restore to the default settings?");
  EXPECT_EQ(probe.SpinEdit_Time->text(), "1");
  EXPECT_TRUE(probe.CheckBox_AutoStart->isChecked());
  EXPECT_EQ(Labels(), kDefaultTexts);
  EXPECT_EQ(hotKeys.registered.count(1331), 1u);
  EXPECT_EQ(hotKeys.registered.find(1331)->second, FakeHotKeys::Combination(kAltShift, 'A'));
  EXPECT_EQ(registry.writes, writes);
  EXPECT_EQ(probe.Timer_Auto->interval(), 30000) << "the timers wait for a save";
}

// The check box drives the login autostart entry through the hive files a real run uses.
TEST_F(SettingsPageTest, StartupWithSystemStartWritesAndRemovesTheLoginEntry) {
  TempFolder dir;
  HiveRegistry hives({dir / "HKEY_LOCAL_MACHINE.reg", dir / "HKEY_CURRENT_USER.reg", dir / "VirtualStore/HKEY_LOCAL_MACHINE.reg",
                      dir / "etc-autostart", dir / "home-autostart", false});
  TForm_Tarnel w(Services{memory, processes, cpu, hives, dialogs, clipboard, hotKeys, shell, instance, privileges, http, paging, reclaimer, reclaimMeter, focus});
  TForm_TarnelProbe probe(w);
  w.show();
  MakeEveryPage(w);
  const std::string entry = dir / "home-autostart/velqor-norvane.desktop";
  ASSERT_FALSE(std::filesystem::exists(entry));

  probe.CheckBox_AutoStart->setChecked(true);
  Click(probe.SpeedButton_SaveSet);
  ASSERT_TRUE(std::filesystem::exists(entry));
  EXPECT_NE(ReadText(entry).find("\nExec=" + QuoteExecArgument(ProgramPath()) + "\n"), std::string::npos) << ReadText(entry);

  probe.CheckBox_AutoStart->setChecked(false);
  Click(probe.SpeedButton_SaveSet);
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_TRUE(dialogs.Texts("error").empty());
}

TEST_F(SettingsPageTest, SaveAsksThenWritesRegistersAndApplies) {
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  probe.SpinEdit_Time->setText(QStringLiteral("12"));
  probe.CheckBox_AutoStart->setChecked(true);
  dialogs.answers = {false};
  Click(probe.SpeedButton_SaveSet);
  EXPECT_EQ(dialogs.Texts("yesno"), std::vector<std::string>{"Are you sure to save the settings?"});
  EXPECT_EQ(probe.Timer_Auto->interval(), 1000) << "No saves nothing";
  EXPECT_EQ(Run(), nullptr);

  Click(probe.SpeedButton_SaveSet);
  EXPECT_EQ(SetInfoFromStoredBytes(Stored()->data).AutoTime, 12);
  EXPECT_EQ(probe.Timer_Auto->interval(), 12000);
  ASSERT_NE(Run(), nullptr);
  EXPECT_EQ(Run()->AsString(), ProgramPath());
}

TEST_F(SettingsPageTest, ASpinEditWithoutAWholeNumberStopsTheSaveBeforeAnyWrite) {
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  const int writes = registry.writes;
  const auto unregistered = hotKeys.unregisterCalls.size();
  probe.SpinEdit_bstopauto->setText(QStringLiteral("-"));
  probe.SpinEdit_Time->setText(QStringLiteral("20"));
  Click(probe.SpeedButton_SaveSet);
  EXPECT_EQ(dialogs.Texts("error"), std::vector<std::string>{"'-' is not a valid integer value"});
  EXPECT_EQ(registry.writes, writes);
  EXPECT_EQ(hotKeys.unregisterCalls.size(), unregistered);
  EXPECT_EQ(probe.Timer_Auto->interval(), 1000) << "no apply step";
}

TEST_F(SettingsPageTest, ARefusedWriteIsReportedAndSkipsTheApplyStep) {
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  registry.refusedWrites.insert(FakeRegistry::Fold(SettingsStore::kSettingsValue));
  probe.SpinEdit_Time->setText(QStringLiteral("20"));
  Click(probe.SpeedButton_SaveSet);
  EXPECT_EQ(dialogs.Texts("error"), std::vector<std::string>{"Failed to set data for 'NvSetInfo'"});
  EXPECT_EQ(probe.Timer_Auto->interval(), 1000);
}

TEST_F(SettingsPageTest, WithoutASettingsKeyTheProgramRunsOnTheDefaultsAndSaysSoOnce) {
  registry.refusedKeys.insert(FakeRegistry::KeyName(HKLM, SettingsStore::kSettingsKey));
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  EXPECT_EQ(dialogs.Texts("message"), std::vector<std::string>{kSettingsNotSavedMessage});
  EXPECT_TRUE(probe.CheckBox_AutoStart->isChecked());
  EXPECT_EQ(Labels(), kDefaultTexts);
  EXPECT_EQ(probe.Timer_GetProcessInfo->interval(), 2000);
  EXPECT_EQ(Run(), nullptr) << "nothing written when the settings could not be";
  EXPECT_EQ(registry.writes, 0);
}

TEST_F(SettingsPageTest, CaptureChangesThePendingRecordOnlyUntilTheSave) {
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  THotKeyEdit* tweak = probe.HotKeyEdits[1];
  QTest::keyPress(tweak, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(tweak->text(), "CTRL+ALT+'K'");
  EXPECT_EQ(probe.PendingHotKeys()[1], (THotKeyInfo{true, 1332, mod::Control | mod::Alt, 'K'}));
  QTest::keyRelease(tweak, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
  QTest::keyRelease(tweak, Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(tweak->text(), "CTRL+ALT+'K'");
  EXPECT_EQ(hotKeys.registered.find(1332)->second, FakeHotKeys::Combination(kAltShift, 'T')) << "not before the save";
  EXPECT_EQ(probe.HotKeyLabels[1]->text(), "ALT+SHIFT+'T'");

  // K alone and Shift alone show what is pressed but take nothing.
  QTest::keyPress(tweak, Qt::Key_K);
  EXPECT_EQ(tweak->text(), "+'K'");
  QTest::keyRelease(tweak, Qt::Key_K);
  EXPECT_EQ(tweak->text(), "CTRL+ALT+'K'");
  QTest::keyPress(tweak, Qt::Key_Shift);
  EXPECT_EQ(tweak->text(), "SHIFT+'\x10'");
  QTest::keyRelease(tweak, Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_EQ(tweak->text(), "CTRL+ALT+'K'");
  EXPECT_EQ(probe.PendingHotKeys()[1].Key, uint32_t('K'));

  Click(probe.SpeedButton_SaveSet);
  EXPECT_EQ(hotKeys.registered.find(1332)->second, FakeHotKeys::Combination(mod::Control | mod::Alt, 'K'));
  EXPECT_EQ(probe.HotKeyLabels[1]->text(), "CTRL+ALT+'K'");
  EXPECT_EQ(probe.CurrentHotKeys()[1], (THotKeyInfo{true, 1332, mod::Control | mod::Alt, 'K'}));
}

TEST_F(SettingsPageTest, UncheckingASlotDisablesItsBoxAtOnceAndReleasesItAtTheSave) {
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  Click(probe.HotKeyCheckBoxes[2]);
  EXPECT_FALSE(probe.HotKeyEdits[2]->isEnabled());
  EXPECT_EQ(hotKeys.registered.count(1333), 1u);
  Click(probe.SpeedButton_SaveSet);
  EXPECT_EQ(hotKeys.registered.count(1333), 0u);
  EXPECT_EQ(probe.HotKeyLabels[2]->text(), "not register");
  EXPECT_FALSE(SetInfoFromStoredBytes(Stored()->data).HotKeys[2].Enabled);
}

TEST_F(SettingsPageTest, AHotKeyThatCouldNotBeRegisteredStillActsWhenDelivered) {
  hotKeys.takenElsewhere.insert({kAltShift, 'A'});
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  EXPECT_EQ(probe.HotKeyLabels[0]->text(), "not register");
  ASSERT_FALSE(probe.Timer_Auto->isActive());
  hotKeys.Deliver(kAltShift, 'A');
  EXPECT_TRUE(probe.Timer_Auto->isActive());
  EXPECT_EQ(probe.Tray->pm_StartautoOptimize->text(), "Stop auto optimize");
  hotKeys.Deliver(kAltShift, 'A');
  EXPECT_EQ(probe.Tray->pm_StartautoOptimize->text(), "Start auto optimize");
}

TEST_F(SettingsPageTest, WithoutX11EverySlotReadsNotRegister) {
  ASSERT_NE(QGuiApplication::platformName(), "xcb");
  X11HotKeys noDisplay;
  TForm_Tarnel w(Services{memory, processes, cpu, registry, dialogs, clipboard, noDisplay, shell, instance, privileges, http, paging, reclaimer, reclaimMeter, focus});
  TForm_TarnelProbe probe(w);
  w.show();
  MakeEveryPage(w);
  for (QLabel* label : probe.HotKeyLabels) EXPECT_EQ(label->text(), "not register");
  EXPECT_EQ(probe.HotKeyEdits[0]->text(), "ALT+SHIFT+'A'") << "the combinations are still shown and kept";
  EXPECT_TRUE(probe.CurrentHotKeys()[0].Enabled);
}

TEST_F(SettingsPageTest, TwoSlotsOnOneCombinationBothAct) {
  TSetInfo record;
  record.HotKeys[2] = {true, 1333, kAltShift, 'A'};  // slot 3 repeats slot 1
  Store(record);
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  EXPECT_EQ(probe.HotKeyLabels[2]->text(), "not register");
  w.hide();
  hotKeys.Deliver(kAltShift, 'A');
  EXPECT_TRUE(probe.Timer_Auto->isActive()) << "slot 1";
  EXPECT_TRUE(w.isVisible()) << "slot 3";
}

TEST_F(SettingsPageTest, OpenMainWindowRestoresAndShows) {
  auto& w = Shown();
  w.hide();
  hotKeys.Deliver(kAltShift, 'M');
  EXPECT_TRUE(w.isVisible());
  TForm_TarnelProbe(w).IsMinimized() = true;
  w.setWindowState(Qt::WindowMinimized);
  hotKeys.Deliver(kAltShift, 'M');
  EXPECT_FALSE(TForm_TarnelProbe(w).IsMinimized());
  EXPECT_FALSE(w.windowState().testFlag(Qt::WindowMinimized));
}

// A box of the first showing runs its own event loop; an exit pressed there still ends the
// program once its main loop starts.
TEST_F(SettingsPageTest, ProcessExitDuringAStartUpMessageStillEndsTheProgram) {
  struct ExitWhileShowing : ScriptedDialogs {
    FakeHotKeys* keys = nullptr;
    void ShowMessage(const std::string& text) override {
      ScriptedDialogs::ShowMessage(text);
      keys->Deliver(kAltShift, 'E');
    }
  } startUpDialogs;
  startUpDialogs.keys = &hotKeys;
  registry.refusedKeys.insert(FakeRegistry::KeyName(HKLM, SettingsStore::kSettingsKey));
  TForm_Tarnel w(Services{memory, processes, cpu, registry, startUpDialogs, clipboard, hotKeys, shell, instance, privileges, http, paging, reclaimer, reclaimMeter, focus});
  w.show();
  ASSERT_EQ(startUpDialogs.Texts("message").size(), 1u);
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  watchdog.start(3000);
  EXPECT_EQ(QCoreApplication::exec(), 0) << "the exit was lost";
}

TEST_F(SettingsPageTest, ProcessExitEndsTheProgramEvenWhenCloseMinimizes) {
  auto& w = Shown();
  TForm_TarnelProbe probe(w);
  ASSERT_TRUE(probe.CheckBox_CloseMinimize->isChecked());
  QTimer::singleShot(0, &w, [this] { hotKeys.Deliver(kAltShift, 'E'); });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  watchdog.start(5000);
  EXPECT_EQ(QCoreApplication::exec(), 0) << "the program did not end";
  EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace nv::test
