#pragma once
// Builds the main window over test doubles of every service, under an offscreen display,
// with the program's own application object (so that handler errors reach the error dialog).
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "fakes/fake_clipboard.h"
#include "fakes/fake_cpu.h"
#include "fakes/fake_hotkeys.h"
#include "fakes/fake_memory.h"
#include "fakes/fake_paging.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_reclaim.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_security.h"
#include "fakes/recording_shell_exec.h"
#include "fakes/scripted_dialogs.h"
#include "fakes/scripted_http.h"
#include "shell/Application.h"
#include "shell/TForm_Tarnel.h"
#include "shell/widgets/TGauge.h"
#include "shell/widgets/THotKeyEdit.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TLineChart.h"
#include "shell/widgets/TLinkLabel.h"
#include "shell/widgets/TNotebook.h"
#include "shell/widgets/TSpinEdit.h"
#include "shell/widgets/TStatusBar.h"
#include "window_probe.h"

// Resources compiled into a static library are linked in only when asked for by name.
inline void InitNorvaneResources() { Q_INIT_RESOURCE(norvane); }

namespace nv::test {

// The one application object of a test program. Offscreen unless the test run chose a display.
inline Application& TestApplication(Dialogs& errorDialogs) {
  static Application* app = [&errorDialogs] {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "norvane_test";
    static char* argv[] = {name, nullptr};
    auto* a = new Application(argc, argv, errorDialogs);
    a->setQuitOnLastWindowClosed(false);
    return a;
  }();
  app->setErrorDialogs(errorDialogs);
  return *app;
}

class WindowFixture : public ::testing::Test {
 protected:
  FakeMemory memory;
  FakeProcesses processes;
  FakeCpu cpu;
  FakeRegistry registry;
  ScriptedDialogs dialogs;
  FakeClipboard clipboard;
  FakeHotKeys hotKeys;
  RecordingShellExec shell;
  FakeInstanceEvent instance;
  FakePrivileges privileges;
  ScriptedHttp http;
  FakePagingConfiguration paging;
  FakeReclaimer reclaimer;
  FakeReclaimMeter reclaimMeter;
  FakeFocusedWindow focus;

  void SetUp() override {
    TestApplication(dialogs);
    InitNorvaneResources();
    memory.status = FakeMemory::StatusMB(8192, 3072, 12288, 6144, 131072, 131000);
  }
  void TearDown() override { window_.reset(); }

  Services services() {
    return Services{memory, processes, cpu, registry, dialogs, clipboard, hotKeys, shell, instance, privileges, http, paging, reclaimer, reclaimMeter, focus};
  }

  // The window, made on first use so that a test can set up its doubles before creation.
  TForm_Tarnel& Window() {
    if (!window_) window_ = std::make_unique<TForm_Tarnel>(services());
    return *window_;
  }
  // The window's controls and state, as tests reach them.
  TForm_TarnelProbe Probe() { return TForm_TarnelProbe(Window()); }

  // Mouse events as the user's pointer gives them, through the application's dispatch.
  static void Enter(QWidget* w) {
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(w, &e);
  }
  static void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
  }
  static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(2, 2)); }
  // Makes the pages made only when first selected, and leaves the selection as it was.
  static void MakeEveryPage(TForm_Tarnel& w) {
    for (const char* page : {"Processes", "Settings", "OverallOpimize"}) TForm_TarnelProbe(w).Notebook1->page(page);
  }

 private:
  std::unique_ptr<TForm_Tarnel> window_;
};

}  // namespace nv::test
