#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QtTest>
#include <climits>
#include <filesystem>
#include <functional>
#include <utility>

#include "engine/paging_file.h"
#include "platform/linux/registry/hive_registry.h"
#include "platform/linux/registry/swap_file_configuration.h"
#include "platform/error.h"
#include "shell/widgets/TGauge.h"
#include "shell/widgets/TSpinEdit.h"
#include "shell/widgets/TStatusBar.h"
#include "fakes/capturing_log.h"
#include "window_fixture.h"
#include "window_probe.h"

namespace nv::test {
namespace {

constexpr uint64_t MiB = 1048576;

class OptimizeTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    processes.Add(1, "init");
    processes.Add(40, "editor");
    memory.status = FakeMemory::StatusMB(64, 20, 128, 64);  // small, so the tweak runs quickly
  }
  QString Status() { return Probe().StatusBar_State->panelText(1); }
  // The window with its processes page made, as the user has it once the tab was clicked.
  TForm_Tarnel& OnProcessesPage() {
    TForm_Tarnel& w = Window();
    w.SpeedButton_fullClick();
    return w;
  }
};

// ---- overall optimization ----

TEST_F(OptimizeTest, CancelAtTheConfirmationChangesNothing) {
  auto& w = OnProcessesPage();
  TForm_TarnelProbe probe(w);
  dialogs.answers = {false};
  const QString statusBefore = Status();

  w.SpeedButton_StartFullClick();

  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "confirm");
  EXPECT_EQ(dialogs.shown[0].text,
            "This function could free a lot of physical memory space,but take sometime to complete. \rConfirm to "
            "proceed?");
  EXPECT_TRUE(memory.commitRequests.empty());
  EXPECT_TRUE(reclaimer.calls.empty());
  EXPECT_EQ(Status(), statusBefore);
  EXPECT_TRUE(probe.Label_overalloptimizing->isHidden());
}

TEST_F(OptimizeTest, ConfirmedRunTweaksTrimsReportsAndPutsTheTimersBack) {
  auto& w = OnProcessesPage();
  TForm_TarnelProbe probe(w);
  probe.TrackBar_OverallOption->setValue(1);
  probe.Timer_GetProcessInfo->start();
  probe.Timer_Auto->stop();

  w.SpeedButton_StartFullClick();

  EXPECT_EQ(memory.commitRequests, std::vector<uint64_t>(65, MiB));
  EXPECT_EQ(memory.LiveBlocks(), 0u);
  EXPECT_EQ(reclaimer.Advised(ReclaimAdvice::PageOut), (std::vector<uint32_t>{1, 40}));
  EXPECT_EQ(dialogs.Texts("message"), std::vector<std::string>{"Available physical memory before optimizing:20 MB\r\n"
                                                               "Available physical memory after optimizing:20 MB\r\n"
                                                               "Released physical memory after optimizing:0 MB"});
  EXPECT_EQ(Status(), "memory tweaking... ");
  EXPECT_EQ(probe.Gauge_OvarallOptimize->maxValue(), 65);
  EXPECT_TRUE(probe.Gauge_OvarallOptimize->isHidden());
  EXPECT_TRUE(probe.Label_overalloptimizing->isHidden());
  EXPECT_TRUE(probe.Timer_GetProcessInfo->isActive());
  EXPECT_FALSE(probe.Timer_Auto->isActive());
}

TEST_F(OptimizeTest, RefusedWholeMemoryPassesEachShowTheMessageBeforeTheReport) {
  auto& w = OnProcessesPage();
  TForm_TarnelProbe probe(w);
  probe.TrackBar_OverallOption->setValue(4);
  memory.refuseCommits = true;

  w.SpeedButton_StartFullClick();

  const auto messages = dialogs.Texts("message");
  ASSERT_EQ(messages.size(), 5u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(messages[size_t(i)], "Unable to tweak RAM, please increase system virtual memory.");
  EXPECT_EQ(messages[4].rfind("Available physical memory before optimizing:", 0), 0u);
  EXPECT_EQ(reclaimer.Advised(ReclaimAdvice::PageOut).size(), 2u);
  EXPECT_EQ(probe.Gauge_OvarallOptimize->maxValue(), int(64 * MiB / 4096));
}

// Answers as the scripted boxes do, and runs `onMessage` while a plain message box is open:
// what the user does from the tray or a hot key while the report waits.
class HookedDialogs : public ScriptedDialogs {
 public:
  std::function<void()> onMessage;
  void ShowMessage(const std::string& text) override {
    ScriptedDialogs::ShowMessage(text);
    if (onMessage) std::exchange(onMessage, nullptr)();
  }
};

TEST_F(OptimizeTest, WithoutThePrivilegeTheReportIsFollowedOnceByWhatMendsIt) {
  auto& w = OnProcessesPage();
  TForm_TarnelProbe probe(w);
  probe.TrackBar_OverallOption->setValue(1);
  reclaimer.missingPrivilege = "Nothing was trimmed: give the helper its capabilities with: sudo setcap ...";
  w.SpeedButton_StartFullClick();
  w.SpeedButton_StartFullClick();
  const auto messages = dialogs.Texts("message");
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].rfind("Available physical memory before optimizing:", 0), 0u);
  EXPECT_EQ(messages[1], reclaimer.missingPrivilege);
  EXPECT_EQ(messages[2].rfind("Available physical memory before optimizing:", 0), 0u);
}

TEST_F(OptimizeTest, AutoOptimizationSwitchedFromTheReportBoxIsNotUndone) {
  HookedDialogs hooked;
  TForm_Tarnel w(Services{memory, processes, cpu, registry, hooked, clipboard, hotKeys, shell, instance, privileges,
                          http, paging, reclaimer, reclaimMeter, focus});
  TForm_TarnelProbe probe(w);
  for (bool runningBefore : {false, true}) {
    if (probe.Timer_Auto->isActive() != runningBefore) w.SpeedButton_RunAutoClick();
    hooked.onMessage = [&probe] { probe.Tray->pm_StartautoOptimize->trigger(); };

    w.SpeedButton_StartFullClick();

    EXPECT_EQ(probe.Timer_Auto->isActive(), !runningBefore);
    EXPECT_EQ(probe.SpeedButton_RunAuto->Tag, runningBefore ? 0 : 3);
  }
}

TEST_F(OptimizeTest, SliderNamesItsLevel) {
  auto& w = OnProcessesPage();
  TForm_TarnelProbe probe(w);
  const char* labels[] = {"Level 1", "Level 2", "Medium", "Level 4", "Level 5"};
  for (int level = 5; level >= 1; --level) {
    probe.TrackBar_OverallOption->setValue(level);
    EXPECT_EQ(probe.Label_OptimizeLavel->text(), labels[level - 1]);
  }
}

// ---- the processes page, made the first time it is selected ----

// A window that sits on its first page while the status refreshes, and the tray runs the
// overall and the auto optimization, makes none of the processes, settings and overall pages.
TEST_F(OptimizeTest, PagesNeverSelectedAreNotMadeByTheWorkTheyShow) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  w.show();
  for (int i = 0; i < 3; ++i) w.Button_GetProcessInfoClick();
  probe.Tray->OverallOpimize1->trigger();
  probe.Tray->pm_StartautoOptimize->trigger();
  probe.AutoTrim().SetIdleAge(nv::TrimClock::duration::zero());
  w.Timer_AutoTimer();
  probe.WatchTrim();

  EXPECT_EQ(memory.commitRequests, std::vector<uint64_t>(65, MiB)) << "the tweak ran at level 1";
  EXPECT_EQ(dialogs.Texts("message").size(), 1u) << "the report";
  EXPECT_TRUE(probe.Timer_Auto->isActive());
  EXPECT_EQ(probe.Label_AutoOptimize->text(), "Auto optimizing...") << "a tick ran";
  EXPECT_EQ(probe.Notebook1->count(), 1) << "the usage page";
  for (const char* name : {"TrackBar_OverallOption", "Label_OptimizeLavel", "Gauge_OvarallOptimize", "Label_overalloptimizing",
                           "SpeedButton_StartFull", "SpeedButton_RunAuto2", "Label_TrimResult", "ListView_ProcessReport",
                           "Gauge_Cpu2", "Gauge_Mem2", "Label_MemusageNum2", "LTotalRAM", "LFreeVirtual", "CheckBox_bstopauto",
                           "SpinEdit_Time", "Label_hk1", "SpeedButton_SaveSet"})
    EXPECT_EQ(w.findChild<QWidget*>(name), nullptr) << name;
  EXPECT_TRUE(dialogs.Texts("error").empty());
}

// The level, the auto-optimization's state and the last pass's line are kept while the page
// does not exist, used by the tray, and shown on the page once it is made; the page then
// drives them as before.
TEST_F(OptimizeTest, AProcessesPageMadeLaterShowsTheStateChosenBefore) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  probe.Optimization().SetLevel(4);
  memory.refuseCommits = true;
  probe.Tray->OverallOpimize1->trigger();
  EXPECT_EQ(dialogs.Texts("message").size(), 5u) << "four refused whole-memory passes at level 4, then the report";
  memory.refuseCommits = false;
  probe.Tray->pm_StartautoOptimize->trigger();
  w.Timer_AutoTimer();
  ASSERT_EQ(w.findChild<QWidget*>("TrackBar_OverallOption"), nullptr);

  w.SpeedButton_fullClick();
  EXPECT_EQ(probe.Notebook1->activePage(), "Processes");
  EXPECT_EQ(probe.TrackBar_OverallOption->value(), 4);
  EXPECT_EQ(probe.Label_OptimizeLavel->text(), "Level 4");
  EXPECT_EQ(probe.SpeedButton_RunAuto2->Tag, 3);
  EXPECT_EQ(probe.SpeedButton_RunAuto2->pictureName, "SpeedButton_RunAuto3");
  EXPECT_EQ(probe.Label_TrimResult->text(), "Last pass: 0 MB paged out, 0 MB more available, 0 MB came back");
  EXPECT_TRUE(probe.Label_overalloptimizing->isHidden());
  EXPECT_TRUE(probe.Gauge_OvarallOptimize->isHidden());

  probe.TrackBar_OverallOption->setValue(2);
  EXPECT_EQ(probe.Optimization().Level(), 2);
  EXPECT_EQ(probe.Label_OptimizeLavel->text(), "Level 2");
  probe.Optimization().SetLevel(5);
  EXPECT_EQ(probe.TrackBar_OverallOption->value(), 5);
  EXPECT_EQ(probe.Label_OptimizeLavel->text(), "Level 5");
  Click(probe.SpeedButton_RunAuto2);
  EXPECT_FALSE(probe.Timer_Auto->isActive());
  EXPECT_EQ(probe.SpeedButton_RunAuto->pictureName, "SpeedButton_RunAuto1");
  Enter(probe.SpeedButton_StartFull);
  EXPECT_EQ(probe.SpeedButton_StartFull->pictureName, "SpeedButton_StartFull");
  EXPECT_EQ(probe.Notebook1->page("Processes"), probe.TrackBar_OverallOption->parentWidget()) << "made once";
}

// Made while the tray's optimization waits on its report, the page says the optimization runs
// until it ends.
TEST_F(OptimizeTest, AProcessesPageMadeDuringTheOverallOptimizationShowsItRunning) {
  HookedDialogs hooked;
  TForm_Tarnel w(Services{memory, processes, cpu, registry, hooked, clipboard, hotKeys, shell, instance, privileges,
                          http, paging, reclaimer, reclaimMeter, focus});
  TForm_TarnelProbe probe(w);
  bool busyShown = false;
  hooked.onMessage = [&w, &probe, &busyShown] {
    w.SpeedButton_fullClick();
    busyShown = !probe.Label_overalloptimizing->isHidden();
  };
  probe.Tray->OverallOpimize1->trigger();
  EXPECT_TRUE(busyShown);
  EXPECT_TRUE(probe.Label_overalloptimizing->isHidden());
  EXPECT_TRUE(probe.Gauge_OvarallOptimize->isHidden());
}

// ---- auto-optimization ----

struct AutoLook {
  int tag1, tag2;
  QString picture1, picture2, caption, status, label;
  bool active;
  bool operator==(const AutoLook&) const = default;
};

void PrintTo(const AutoLook& l, std::ostream* os) {
  *os << l.tag1 << "/" << l.tag2 << " " << l.picture1.toStdString() << "/" << l.picture2.toStdString() << " '"
      << l.caption.toStdString() << "' '" << l.status.toStdString() << "' '" << l.label.toStdString() << "' "
      << (l.active ? "active" : "stopped");
}

class AutoOptimizeTest : public OptimizeTest {
 protected:
  // Ticks follow at once here: a process idle since the tick before is idle enough.
  void SetUp() override {
    OptimizeTest::SetUp();
    TForm_TarnelProbe(OnProcessesPage()).AutoTrim().SetIdleAge(nv::TrimClock::duration::zero());
    MakeEveryPage(Window());  // the settings page, whose fields the tests edit
  }
  AutoLook Look() {
    auto& w = Window();
    TForm_TarnelProbe probe(w);
    return {probe.SpeedButton_RunAuto->Tag,         probe.SpeedButton_RunAuto2->Tag,    probe.SpeedButton_RunAuto->pictureName,
            probe.SpeedButton_RunAuto2->pictureName, probe.Tray->pm_StartautoOptimize->text(), Status(),
            probe.Label_AutoOptimize->text(),        probe.Timer_Auto->isActive()};
  }
  const AutoLook stopped{0, 0, "SpeedButton_RunAuto1", "SpeedButton_RunAuto1", "Start auto optimize", "", "", false};
  const AutoLook running{3,  3, "SpeedButton_RunAuto3", "SpeedButton_RunAuto3", "Stop auto optimize", "Auto optimizing...",
                         "Auto optimizing...", true};
};

TEST_F(AutoOptimizeTest, TwoTogglesGoToRunningAndBackToStopped) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  probe.SpinEdit_Time->setText("7");
  probe.AutoDotsPhase() = true;

  w.SpeedButton_RunAutoClick();
  EXPECT_EQ(Look(), running);
  EXPECT_EQ(probe.Timer_Auto->interval(), 7000);

  w.SpeedButton_RunAutoClick();
  EXPECT_EQ(Look(), stopped);
  EXPECT_TRUE(probe.AutoDotsPhase());
  EXPECT_TRUE(memory.commitRequests.empty());
}

TEST_F(AutoOptimizeTest, EveryEntryPointToggles) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  Click(probe.SpeedButton_RunAuto);
  EXPECT_TRUE(probe.Timer_Auto->isActive());
  Click(probe.SpeedButton_RunAuto2);
  EXPECT_FALSE(probe.Timer_Auto->isActive());
  probe.Tray->pm_StartautoOptimize->trigger();
  EXPECT_TRUE(probe.Timer_Auto->isActive());
}

TEST_F(AutoOptimizeTest, IntervalIsReadOnlyWhenSwitchingOn) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  probe.SpinEdit_Time->setText("2");
  w.SpeedButton_RunAutoClick();
  probe.SpinEdit_Time->setText("9");
  EXPECT_EQ(probe.Timer_Auto->interval(), 2000);

  probe.SpinEdit_Time->setText("");  // not read when switching off
  EXPECT_NO_THROW(w.SpeedButton_RunAutoClick());
  EXPECT_EQ(Look(), stopped);
}

TEST_F(AutoOptimizeTest, IntervalWithoutATickStillCountsAsRunning) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  for (const char* text : {"0", "-3", "3000000"}) {
    probe.SpinEdit_Time->setText(text);
    w.SpeedButton_RunAutoClick();
    EXPECT_EQ(Look(), running) << text;
    EXPECT_EQ(probe.Timer_Auto->interval(), INT_MAX) << text;
    w.SpeedButton_RunAutoClick();
  }
  probe.SpinEdit_Time->setText("600");
  w.SpeedButton_RunAutoClick();
  EXPECT_EQ(probe.Timer_Auto->interval(), 600000);
}

// A field being typed into spells no whole number for a while: the last whole number it held
// stays in effect, without an error at each tick, and only the save refuses the text.
TEST_F(AutoOptimizeTest, AFieldWithoutAWholeNumberLeavesTheLastNumberInEffect) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  probe.SpinEdit_Time->setText("7");
  probe.CheckBox_EmptyClipboard->setChecked(true);
  probe.CheckBox_bstopauto->setChecked(true);
  probe.SpinEdit_bstopauto->setText("70");
  memory.status = FakeMemory::StatusMB(1000, 750, 2000, 1000);  // 75 % available: no pass under 70
  for (const char* text : {"", "-", "1.5", "2,5"}) {
    probe.SpinEdit_Time->setText(text);
    probe.SpinEdit_bstopauto->setText(text);
    Click(probe.SpeedButton_RunAuto);
    EXPECT_EQ(Look(), running) << text;
    EXPECT_EQ(probe.Timer_Auto->interval(), 7000) << text;
    w.Timer_AutoTimer();
    EXPECT_EQ(clipboard.cleans, 0) << text << ": the threshold of 70 holds the pass back";
    Click(probe.SpeedButton_RunAuto);
  }
  EXPECT_TRUE(dialogs.Texts("error").empty());

  Click(probe.SpeedButton_SaveSet);
  EXPECT_EQ(dialogs.Texts("error"), std::vector<std::string>{"'2,5' is not a valid integer value"});
}

TEST_F(AutoOptimizeTest, SwitchingOnWithTheTweakRunsItAtTheSliderLevelFirst) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  probe.CheckBox_AfterMemTrim->setChecked(true);
  probe.TrackBar_OverallOption->setValue(5);
  memory.refuseCommits = true;

  w.SpeedButton_RunAutoClick();

  EXPECT_EQ(memory.commitRequests, std::vector<uint64_t>(5, 64 * MiB));
  EXPECT_EQ(dialogs.Texts("message").size(), 5u);
  EXPECT_EQ(Status(), "Auto optimizing(Tweak memory)");
  EXPECT_EQ(probe.Label_AutoOptimize->text(), "Auto optimizing(Tweak memory)");
  EXPECT_TRUE(probe.Timer_Auto->isActive());
  EXPECT_TRUE(reclaimer.calls.empty());
}

TEST_F(AutoOptimizeTest, TicksAlternateTheDotsAndApplyTheStopTest) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  probe.CheckBox_EmptyClipboard->setChecked(true);
  probe.CheckBox_bstopauto->setChecked(true);
  probe.SpinEdit_bstopauto->setText("70");
  memory.status = FakeMemory::StatusMB(1000, 750, 2000, 1000);  // 75 % available

  w.Timer_AutoTimer();
  EXPECT_EQ(probe.Label_AutoOptimize->text(), "Auto optimizing...");
  EXPECT_EQ(Status(), "Auto optimizing...");
  EXPECT_TRUE(reclaimer.calls.empty());
  EXPECT_EQ(clipboard.cleans, 0);

  memory.status = FakeMemory::StatusMB(1000, 600, 2000, 1000);  // 60 %
  w.Timer_AutoTimer();
  EXPECT_EQ(probe.Label_AutoOptimize->text(), "Auto optimizing......");
  EXPECT_TRUE(reclaimer.calls.empty()) << "the first look knows no process to be idle";
  EXPECT_EQ(clipboard.cleans, 1);

  // With the stop test off the threshold is not read at all.
  probe.CheckBox_bstopauto->setChecked(false);
  probe.SpinEdit_bstopauto->setText("");
  memory.status = FakeMemory::StatusMB(1000, 1000, 2000, 1000);
  w.Timer_AutoTimer();
  EXPECT_TRUE(reclaimer.calls.empty()) << "the pass before paged out nothing, so this tick waits";
  EXPECT_EQ(clipboard.cleans, 2);
  w.Timer_AutoTimer();
  EXPECT_EQ(reclaimer.Advised(ReclaimAdvice::PageOut), (std::vector<uint32_t>{1, 40}));
  EXPECT_TRUE(dialogs.Texts("error").empty());
}

// A clipboard that stays full and memory figures that cannot be read are logged once for each
// run of ticks that meet them, not at every tick, and the ticks go on trimming.
TEST_F(AutoOptimizeTest, FailuresOfTheTicksAreLoggedOnceARun) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  probe.CheckBox_EmptyClipboard->setChecked(true);
  probe.CheckBox_bstopauto->setChecked(true);
  probe.SpinEdit_bstopauto->setText("70");
  clipboard.clears = false;
  memory.statusUnreadable = true;
  CapturingLog log;
  for (int tick = 0; tick < 3; ++tick) w.Timer_AutoTimer();
  EXPECT_EQ(log.lines.size(), 2u);
  EXPECT_TRUE(log.Holds("the clipboard was told to refuse"));
  EXPECT_TRUE(log.Holds("the memory status is unreadable in this test"));
  EXPECT_FALSE(reclaimer.calls.empty()) << "no figures held the trim back";

  clipboard.clears = true;
  w.Timer_AutoTimer();
  clipboard.clears = false;
  w.Timer_AutoTimer();
  EXPECT_EQ(log.lines.size(), 3u) << "a new run of failures is told again";
  EXPECT_TRUE(dialogs.Texts("error").empty());
}

TEST_F(AutoOptimizeTest, TheLineUnderTheProcessReportTellsWhatEachTickDid) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  reclaimer.availableBytes = &reclaimMeter.counters.availableBytes;
  reclaimer.pageOutBytes[40] = 412 * MiB;
  processes.table[1].residentBytes = 500 * MiB;
  reclaimer.whenPagedOut = [this](uint32_t pid, uint64_t bytes) {
    if (pid == 40) processes.table[1].residentBytes -= bytes;
  };
  EXPECT_EQ(probe.Label_TrimResult->text(), "");

  w.Timer_AutoTimer();
  EXPECT_EQ(probe.Label_TrimResult->text(), "Last pass: 0 MB paged out, 0 MB more available, 0 MB came back");
  w.Timer_AutoTimer();
  EXPECT_EQ(probe.Label_TrimResult->text(), "Auto-optimization waits 1 interval: the last pass paged out less than 1 MB");
  w.Timer_AutoTimer();
  EXPECT_EQ(probe.Label_TrimResult->text(), "Last pass: 412 MB paged out, 412 MB more available, 0 MB came back");
  EXPECT_TRUE(probe.TrimWatchTimer()->isActive());
  processes.table[1].residentBytes += 9 * MiB;
  probe.WatchTrim();
  EXPECT_EQ(probe.Label_TrimResult->text(), "Last pass: 412 MB paged out, 412 MB more available, 9 MB came back");
  EXPECT_TRUE(dialogs.Texts("message").empty()) << "a pass shows no box";
}

TEST_F(AutoOptimizeTest, TheFirstPassThatTrimsNothingForWantOfThePrivilegeSaysSoOnce) {
  auto& w = Window();
  reclaimer.missingPrivilege = "Nothing was trimmed: norvane-reclaim holds no capabilities. Give them with: sudo setcap ...";
  for (int tick = 0; tick < 6; ++tick) w.Timer_AutoTimer();
  EXPECT_GE(reclaimer.calls.size(), 2u);
  EXPECT_EQ(dialogs.Texts("message"), std::vector<std::string>{reclaimer.missingPrivilege});

  // A pass that trims something says nothing, whatever came before.
  reclaimer.missingPrivilege.clear();
  dialogs.shown.clear();
  for (int tick = 0; tick < 6; ++tick) w.Timer_AutoTimer();
  EXPECT_TRUE(dialogs.Texts("message").empty());
}

TEST_F(AutoOptimizeTest, StopCheckBoxEnablesTheThresholdField) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  probe.CheckBox_bstopauto->setChecked(true);
  EXPECT_TRUE(probe.SpinEdit_bstopauto->isEnabled());
  probe.CheckBox_bstopauto->setChecked(false);
  EXPECT_FALSE(probe.SpinEdit_bstopauto->isEnabled());
}

// ---- clipboard, paging file, self-trim ----

TEST_F(OptimizeTest, CleanClipboardButtonEmptiesAndSaysWhetherItCould) {
  MakeEveryPage(Window());
  Click(Probe().Button_EmptyClipboard);
  EXPECT_EQ(clipboard.cleans, 1);
  EXPECT_EQ(dialogs.Texts("message"), std::vector<std::string>{"Clipboard has been cleaned!"});

  // A desktop that lets only the focused window clear it, with the window unfocused.
  clipboard.clears = false;
  dialogs.shown.clear();
  Click(Probe().Button_EmptyClipboard);
  EXPECT_EQ(clipboard.cleans, 2);
  EXPECT_EQ(dialogs.Texts("message"),
            std::vector<std::string>{"Clipboard could not be cleaned: this desktop lets a program clear it only while "
                                     "its window has the focus."});
}

TEST_F(OptimizeTest, SetVMWritesThePagingFilesValueOnlyAfterYes) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  MakeEveryPage(w);
  const auto value = [this] { return registry.Get(RootKey::HKeyLocalMachine, kMemoryManagementKey, "PagingFiles"); };

  dialogs.answers = {false};
  w.SpeedButton_SetVMClick();
  EXPECT_EQ(value(), nullptr);
  EXPECT_EQ(paging.calls, 0);
  EXPECT_EQ(dialogs.shown.back().text, "Do you wish to let system automatically manage the size of virtual memory?");

  Click(probe.SpeedButton_SetVM);
  ASSERT_NE(value(), nullptr);
  EXPECT_EQ(value()->type, uint32_t(reg::MultiSz));
  EXPECT_EQ(value()->data, SystemManagedPagingFiles("C:\\WINDOWS"));
  EXPECT_EQ(value()->data.size(), 21u);
  EXPECT_EQ(paging.calls, 1);
  EXPECT_EQ(dialogs.shown.back().kind, "inform");
  EXPECT_EQ(dialogs.shown.back().title, "Information");
  EXPECT_EQ(dialogs.shown.back().text,
            "Virtual memory configure successfully. Please restart your PC to enable the changed configuration.");
}

// The real hive files and swap-file unit, in a folder of the test's own.
TEST_F(OptimizeTest, SetVMWritesTheMachineHiveAndTheSwapFileUnitOfThisSystem) {
  namespace fs = std::filesystem;
  // In the build tree: the temporary folder may be a tmpfs, which cannot hold a swap file.
  const fs::path dir = fs::path(QT_TESTCASE_BUILDDIR) / ("nv-setvm-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  HiveLocations locations{(dir / "HKEY_LOCAL_MACHINE.reg").string(),
                          (dir / "HKEY_CURRENT_USER.reg").string(),
                          (dir / "VirtualStore" / "HKEY_LOCAL_MACHINE.reg").string(),
                          (dir / "autostart").string(),
                          (dir / "autostart").string(),
                          true};
  HiveRegistry hives(locations);
  SwapFileConfiguration swap((dir / "root").string());
  {
    TForm_Tarnel w(Services{memory, processes, cpu, hives, dialogs, clipboard, hotKeys, shell, instance, privileges,
                            http, swap, reclaimer, reclaimMeter, focus});
    w.SpeedButton_SetVMClick();
  }

  const auto value = HiveRegistry(locations).ReadValue(RootKey::HKeyLocalMachine, kMemoryManagementKey, "PagingFiles");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, uint32_t(reg::MultiSz));
  EXPECT_EQ(value->data, SystemManagedPagingFiles("C:\\WINDOWS"));
  EXPECT_TRUE(fs::exists(dir / "root/etc/systemd/system" / SwapFileConfiguration::kUnitName));
  EXPECT_EQ(dialogs.shown.back().kind, "inform");

  // A process that may not write the machine hive: the value is refused, the swap file is
  // left alone and the error box says why.
  fs::remove_all(dir);
  locations.mayWriteMachine = false;
  HiveRegistry refusing(locations);
  dialogs.shown.clear();
  {
    TForm_Tarnel w(Services{memory, processes, cpu, refusing, dialogs, clipboard, hotKeys, shell, instance, privileges,
                            http, swap, reclaimer, reclaimMeter, focus});
    w.SpeedButton_SetVMClick();
  }
  EXPECT_FALSE(HiveRegistry(locations).ReadValue(RootKey::HKeyLocalMachine, kMemoryManagementKey, "PagingFiles"));
  EXPECT_FALSE(fs::exists(dir / "root"));
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown.back().kind, "error");
  EXPECT_EQ(dialogs.shown.back().text.rfind("Virtual memory was not configured: ", 0), 0u) << dialogs.shown.back().text;
  fs::remove_all(dir);
}

TEST_F(OptimizeTest, SetVMShowsWhyWhenTheSystemConfigurationIsRefused) {
  paging.fails = true;
  Window().SpeedButton_SetVMClick();
  EXPECT_EQ(dialogs.Texts("error"),
            std::vector<std::string>{"Virtual memory was not configured: the system configuration refused"});
  EXPECT_EQ(dialogs.Texts("inform"), std::vector<std::string>{});
}

TEST_F(OptimizeTest, SelfTimerTrimsTheProgramItself) {
  auto& w = Window();
  TForm_TarnelProbe probe(w);
  ASSERT_TRUE(probe.Timer_self->isActive());
  probe.Timer_self->setInterval(1);
  EXPECT_TRUE(QTest::qWaitFor([this] { return processes.selfTrims > 0; }, 2000));
}

}  // namespace
}  // namespace nv::test
