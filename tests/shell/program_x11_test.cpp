// The real program on an X display: its rounded outline, its close button, which ends the
// program or puts the window away while "Minimize to tray when close window " is checked, and
// "Minimize when start", and the captions of its boxes. The window goes into the tray only while
// a tray host runs; without one it is minimized, which on a display without a window manager
// leaves it on the screen.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <memory>

#include "program_home.h"
#include "x11_program_tools.h"

namespace {

using nv::test::MainWindowShown;
using nv::test::Shell;
using nv::test::WaitFor;

// Watches for a request to iconify a window, which a client sends to the root window for the
// window manager (ICCCM WM_CHANGE_STATE with IconicState). The display has no window manager,
// so the window stays where it is and only the request shows that it was minimized.
class IconifyRequestWatch {
 public:
  IconifyRequestWatch() : connection_(xcb_connect(nullptr, nullptr), &xcb_disconnect) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data->root;
    // Qt sends it with the structure mask and other clients with the substructure one.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_.get(), root, XCB_CW_EVENT_MASK, &mask);
    const char name[] = "WM_CHANGE_STATE";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection_.get(), xcb_intern_atom(connection_.get(), 0, sizeof name - 1, name), nullptr),
        &std::free);
    if (atom) changeState_ = atom->atom;
    xcb_flush(connection_.get());
  }

  bool Seen(int limitMs) {
    return WaitFor([this] {
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection_.get())) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
        if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) continue;
        const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
        constexpr uint32_t kIconicState = 3;
        if (message->type == changeState_ && message->data.data32[0] == kIconicState) seen_ = true;
      }
      return seen_;
    }, limitMs);
  }

 private:
  std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection_;
  xcb_atom_t changeState_ = XCB_ATOM_NONE;
  bool seen_ = false;
};


class ProgramX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "needs an X display";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    nv::test::UseProgramHome(home, env);
    env.insert("NORVANE_UPDATE_HOST", "127.0.0.1:9");
    env.remove("QT_QPA_PLATFORM");
    program.setProcessEnvironment(env);
    QDir(home.path()).mkpath("registry");
  }

  // The first 28 bytes of the settings record in the machine hive: the ten options, with the
  // default hot keys after them.
  void StoreOptions(bool closeMinimize, bool minimizeStart) {
    QFile hive(home.filePath("registry/HKEY_LOCAL_MACHINE.reg"));
    ASSERT_TRUE(hive.open(QIODevice::WriteOnly));
    hive.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Norvane]\r\n"
               "\"NvSetInfo\"=hex:00,00,00,00,01,00,00,00,01,00,00,00,46,00,00,00,00,01,00,00,02,00,00,00,00,");
    hive.write(closeMinimize ? "01," : "00,");
    hive.write(minimizeStart ? "01," : "00,");
    hive.write("00\r\n");
  }


  void StartProgram() {
    program.start(QStringLiteral(NORVANE_BINARY), {});
    ASSERT_TRUE(program.waitForStarted(5000));
  }

  // What the program shows and said, for a failure's message. QProcess learns of an exit and
  // of output only while it waits, and nothing here runs its event loop.
  std::string ShownWindows() {
    program.waitForFinished(500);
    return (QString("program %1; windows: ").arg(program.state() == QProcess::Running ? "running" : "ended") +
            Shell("xdotool search --onlyvisible --class norvane getwindowname %@ | tr '\\n' '|'") +
            "; it said: " + QString::fromLocal8Bit(program.readAllStandardError()))
        .toStdString();
  }

  // The window stays on the screen for a while, and the program runs on.
  void ExpectStillShownAndRunning() {
    QThread::msleep(1500);
    EXPECT_TRUE(MainWindowShown()) << "the window was hidden with no tray to bring it back";
    EXPECT_FALSE(program.waitForFinished(500)) << "the program ended";
  }

  void QuitByRequest() {
    ASSERT_TRUE(nv::test::RequestQuit(nv::test::QuitSocket(home)));
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
  }

  void TearDown() override {
    for (QProcess* p : {&program, &trayHost}) {
      if (p->state() == QProcess::NotRunning) continue;
      p->kill();
      p->waitForFinished(5000);
    }
  }

  QTemporaryDir home;
  QProcess trayHost;
  QProcess program;
};

// The close button sits at (667, 0), 25 x 14, in the window opened at (279, 233).
void ClickCloseButton() { ASSERT_EQ(system("xdotool mousemove 958 240 click 1"), 0); }

// A click at a point of the window opened at (279, 233).
void ClickAt(int x, int y) {
  ASSERT_EQ(system(QString("xdotool mousemove %1 %2 click 1").arg(279 + x).arg(233 + y).toLatin1().constData()), 0);
  QThread::msleep(300);
}

// The whole caption (_NET_WM_NAME) of the box whose caption begins with `start`, once it is
// shown; empty when none shows.
std::string BoxCaption(const QString& start) {
  const QString id = Shell("timeout 10 xdotool search --sync --onlyvisible --name '^" + start + "' | head -1").trimmed();
  if (id.isEmpty()) return {};
  const QString property = Shell("xprop -id " + id + " _NET_WM_NAME").trimmed();  // _NET_WM_NAME(UTF8_STRING) = "..."
  return property.section(" = ", 1).chopped(1).mid(1).toStdString();
}

TEST_F(ProgramX11Test, OutlineIsRoundedAndTheCloseButtonEndsTheProgram) {
  StoreOptions(false, false);
  StartProgram();
  ASSERT_TRUE(WaitFor(MainWindowShown, 30000)) << "no window; " << ShownWindows();

  // The rounded outline is the window's shape on the X server: it reaches two pixels beyond
  // the window, and the desktop shows through at the corners.
  EXPECT_TRUE(Shell("xwininfo -shape -id $(xdotool search --onlyvisible --name '^Velqor Norvane$' | head -1)")
                  .contains("Window shape extents:  712x548+0+0"));
  EXPECT_TRUE(Shell("import -window root -crop 1x1+279+233 txt:-").contains("#000000"));
  EXPECT_FALSE(Shell("import -window root -crop 1x1+300+240 txt:-").contains("#000000"));

  ClickCloseButton();
  ASSERT_TRUE(program.waitForFinished(10000)) << "closing did not end the program";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
}

// Boxes are captioned with their own captions alone, nothing appended.
TEST_F(ProgramX11Test, BoxesCarryExactlyTheirCaptions) {
  StoreOptions(false, false);
  StartProgram();
  ASSERT_TRUE(WaitFor(MainWindowShown, 30000)) << "no window; " << ShownWindows();

  ClickAt(466, 72);   // the Optimization tab
  ClickAt(619, 140);  // Overall Optimize
  EXPECT_EQ(BoxCaption("Confirm"), "Confirm");
  ASSERT_EQ(system("xdotool key Escape"), 0);

  // An interval field left empty, then the settings saved: the error box.
  ClickAt(614, 72);  // the Settings tab
  ClickAt(230, 421);
  ASSERT_EQ(system("xdotool key ctrl+a BackSpace"), 0);
  ClickAt(572, 484);  // Save Settings, and Yes to its question
  ASSERT_EQ(system("xdotool key Return"), 0);
  EXPECT_EQ(BoxCaption("Error"), "Error");
  ASSERT_EQ(system("xdotool key Return"), 0);

  ClickAt(614, 72);
  ClickAt(470, 448);  // Clean Clipboard: a message titled with the program's title
  QThread::msleep(500);
  const QStringList titled = Shell("xdotool search --onlyvisible --name '^Velqor Norvane'").split('\n', Qt::SkipEmptyParts);
  QStringList captions;
  for (const QString& id : titled) captions << Shell("xprop -id " + id + " _NET_WM_NAME").trimmed();
  EXPECT_EQ(captions.size(), 2) << "no message box";
  for (const QString& caption : captions) EXPECT_TRUE(caption.endsWith("= \"Velqor Norvane\"")) << caption.toStdString();
  ASSERT_EQ(system("xdotool key Return"), 0);
  QuitByRequest();
}

TEST_F(ProgramX11Test, CloseButtonHidesTheWindowIntoARunningTray) {
  ASSERT_TRUE(nv::test::StartTrayHost(trayHost)) << "the tray host did not come up";
  StoreOptions(true, false);
  StartProgram();
  ASSERT_TRUE(WaitFor(MainWindowShown, 30000)) << "no window; " << ShownWindows();
  ClickCloseButton();
  EXPECT_TRUE(WaitFor([] { return !MainWindowShown(); }, 5000)) << "the window stayed on screen";
  EXPECT_FALSE(program.waitForFinished(1000)) << "hiding to the tray ended the program";
  QuitByRequest();
}

TEST_F(ProgramX11Test, CloseButtonMinimizesWhenNoTrayRuns) {
  StoreOptions(true, false);
  StartProgram();
  ASSERT_TRUE(WaitFor(MainWindowShown, 30000)) << "no window; " << ShownWindows();
  IconifyRequestWatch iconify;
  ClickCloseButton();
  EXPECT_TRUE(iconify.Seen(5000)) << "the window was not minimized";
  ExpectStillShownAndRunning();
  QuitByRequest();
}

TEST_F(ProgramX11Test, MinimizeWhenStartMinimizesWhenNoTrayRuns) {
  StoreOptions(true, true);
  IconifyRequestWatch iconify;
  StartProgram();
  ASSERT_TRUE(WaitFor(MainWindowShown, 30000)) << "no window; " << ShownWindows();
  EXPECT_TRUE(iconify.Seen(5000)) << "the window was not minimized";
  ExpectStillShownAndRunning();
  QuitByRequest();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
