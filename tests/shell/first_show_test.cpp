#include <QAction>
#include <QCheckBox>
#include <QSystemTrayIcon>
#include <QTreeWidget>

#include "platform/error.h"
#include "settings/set_info.h"
#include "settings/settings_store.h"
#include "shell/widgets/TSpinEdit.h"
#include "window_fixture.h"
#include "window_probe.h"

namespace nv::test {
namespace {

class FirstShowTest : public WindowFixture {
 protected:
  void StoreSettings(const TSetInfo& record) {
    const SetInfoBytes bytes = SerializeSetInfo(record);
    registry.Set(RootKey::HKeyLocalMachine, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue,
                 RegValue::Binary({bytes.begin(), bytes.end()}));
  }
  // Refreshes are counted by their CPU samples, one query of the processors' times each.
  size_t Refreshes() const { return static_cast<size_t>(cpu.queries); }

  void SetUp() override {
    WindowFixture::SetUp();
    processes.Add(42, "only");
  }
};

TEST_F(FirstShowTest, BringsEverythingUpOnceWithTheStoredSettings) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  EXPECT_TRUE(probe.FirstShowDone());
  EXPECT_EQ(Refreshes(), 1u);
  // Charts were prepared before the refresh rolled them.
  EXPECT_EQ(probe.Chart_CPUs->series(0).count(), 50);
  EXPECT_EQ(probe.Chart_PhyMem->series(0).y(48), 0);
  EXPECT_EQ(probe.Chart_PhyMem->series(0).y(49), 5120);
  EXPECT_EQ(probe.Chart_PhyMem->verticalMax(), 8192);
  // Defaults saved back, refresh timer applied, icon added, usage page shown.
  EXPECT_NE(registry.Get(RootKey::HKeyLocalMachine, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue), nullptr);
  EXPECT_TRUE(probe.Timer_GetProcessInfo->isActive());
  EXPECT_EQ(probe.Timer_GetProcessInfo->interval(), 2000);
  EXPECT_TRUE(probe.TrayIcon()->isVisible());
  EXPECT_EQ(probe.TrayIcon()->toolTip(), "Velqor Norvane");
  EXPECT_EQ(probe.Notebook1->activePage(), "USAGEGROUP");
  EXPECT_TRUE(dialogs.shown.empty());
  // The report, out of sight so far, is up to date as soon as its page is selected.
  w.SpeedButton_fullClick();
  EXPECT_EQ(probe.ListView_ProcessReport->topLevelItemCount(), 1);

  // Hidden and shown again: nothing is repeated.
  w.hide();
  w.show();
  EXPECT_EQ(Refreshes(), 1u);
  EXPECT_EQ(w.findChildren<QSystemTrayIcon*>().size(), 1);
}

// Offscreen there is no tray to hide into, so the first tick minimizes the window; hiding
// while a tray host runs is seen on a real display (program_x11_test).
TEST_F(FirstShowTest, MinimizeWhenStartMinimizesAtTheFirstTickWithoutATrayAndKeepsTheIcon) {
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  TSetInfo record;
  record.MinimizeStart = true;
  StoreSettings(record);
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(probe.Timer_HideMainWindows->isActive());
  EXPECT_TRUE(QTest::qWaitFor([&w] { return w.windowState().testFlag(Qt::WindowMinimized); }, 3000));
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(probe.Timer_HideMainWindows->isActive());
  EXPECT_TRUE(probe.TrayIcon()->isVisible());
}

TEST_F(FirstShowTest, WithoutMinimizeWhenStartTheWindowStays) {
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  EXPECT_TRUE(QTest::qWaitFor([&probe] { return !probe.Timer_HideMainWindows->isActive(); }, 3000));
  EXPECT_TRUE(w.isVisible());
}

TEST_F(FirstShowTest, AutoOptimizeWhenStartRunsBeforeTheIconIsAdded) {
  TSetInfo record;
  record.AutoOnStart = true;
  StoreSettings(record);
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  bool iconShownWhenStarted = true;
  QObject::connect(probe.Tray->pm_StartautoOptimize, &QAction::changed, [&probe, &iconShownWhenStarted] {
    if (probe.Tray->pm_StartautoOptimize->text() == "Stop auto optimize") iconShownWhenStarted = probe.TrayIcon()->isVisible();
  });
  w.show();
  EXPECT_FALSE(iconShownWhenStarted);
  EXPECT_TRUE(probe.Timer_Auto->isActive());
  EXPECT_EQ(probe.Tray->pm_StartautoOptimize->text(), "Stop auto optimize");
  EXPECT_TRUE(probe.TrayIcon()->isVisible());
}

TEST_F(FirstShowTest, WithAutoRefreshOffExactlyOneRefreshRuns) {
  TSetInfo record;
  record.AutoProcessList = false;
  record.ProcessListTime = 1;
  StoreSettings(record);
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  // The last step of the showing has run once its one-shot timer has fired; with the refresh
  // timer stopped then, nothing else refreshes.
  ASSERT_TRUE(QTest::qWaitFor([&probe] { return !probe.Timer_HideMainWindows->isActive(); }, 3000));
  EXPECT_FALSE(probe.Timer_GetProcessInfo->isActive());
  EXPECT_EQ(Refreshes(), 1u);
  EXPECT_EQ(probe.TrayIcon()->toolTip(), "Velqor Norvane");
}

TEST_F(FirstShowTest, StoredValueOfTheWrongTypeIsReportedAndTheProgramComesUpOnDefaults) {
  const RegValue broken = RegValue::String("not a record");
  registry.Set(RootKey::HKeyLocalMachine, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue, broken);
  TForm_Tarnel& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  EXPECT_EQ(dialogs.Texts("error"), std::vector<std::string>{"Invalid data type for 'NvSetInfo'"});
  // Defaults in place (the design value of the refresh interval is 1, the default 2) ...
  MakeEveryPage(w);
  EXPECT_EQ(probe.SpinEdit_ProcessListTime->Value(), 2);
  EXPECT_TRUE(probe.CurrentHotKeys()[3].Enabled);
  // ... the rest of the start-up ran ...
  EXPECT_EQ(Refreshes(), 1u);
  EXPECT_TRUE(probe.Timer_GetProcessInfo->isActive());
  EXPECT_TRUE(probe.TrayIcon()->isVisible());
  EXPECT_EQ(probe.Notebook1->activePage(), "USAGEGROUP");
  // ... and nothing stored was overwritten unasked.
  const RegValue* stored = registry.Get(RootKey::HKeyLocalMachine, SettingsStore::kSettingsKey, SettingsStore::kSettingsValue);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(*stored, broken);
  EXPECT_EQ(registry.Get(RootKey::HKeyLocalMachine, kRunKeyPath, kAutostartValueName), nullptr);
}

}  // namespace
}  // namespace nv::test
