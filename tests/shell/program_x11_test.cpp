// The real program on an X display: its rounded outline, and its close button, which ends the
// program or hides the window to the tray while "Minimize to tray when close window " is checked.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "x11_program_tools.h"


namespace {

using nv::test::Shell;
using nv::test::WaitFor;

bool WindowOnScreen() { return system("xdotool search --onlyvisible --name '^Velqor Norvane$' >/dev/null 2>&1") == 0; }

class CloseButtonTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "needs an X display";
    for (const char* folder : {"run", "registry"}) QDir(home.path()).mkpath(folder);
    const std::pair<const char*, QString> environment[] = {
        {"HOME", home.path()},
        {"XDG_RUNTIME_DIR", home.filePath("run")},
        {"XDG_CONFIG_HOME", home.filePath("config")},
        {"XDG_STATE_HOME", home.filePath("state")},
        {"XDG_CACHE_HOME", home.filePath("cache")},
        {"NORVANE_REGISTRY_DIR", home.filePath("registry")},
        {"NORVANE_AUTOSTART_DIR", home.filePath("autostart")},
        {"NORVANE_UPDATE_HOST", "127.0.0.1:9"},
    };
    for (const auto& [name, value] : environment) qputenv(name, value.toLocal8Bit());
    qunsetenv("QT_QPA_PLATFORM");
  }

  // The first 28 bytes of the settings record in the machine hive: the ten options, with the
  // default hot keys after them.
  void StoreOptions(bool closeMinimize) {
    QFile hive(home.filePath("registry/HKEY_LOCAL_MACHINE.reg"));
    ASSERT_TRUE(hive.open(QIODevice::WriteOnly));
    hive.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Norvane]\r\n"
               "\"NvSetInfo\"=hex:00,00,00,00,01,00,00,00,01,00,00,00,46,00,00,00,00,01,00,00,02,00,00,00,00,");
    hive.write(closeMinimize ? "01" : "00");
    hive.write(",00,00\r\n");
  }

  void TearDown() override {
    if (program.state() != QProcess::NotRunning) {
      program.kill();
      program.waitForFinished(5000);
    }
  }

  QTemporaryDir home;
  QProcess program;
};

TEST_P(CloseButtonTest, ClosesOrHidesAsTheSettingSays) {
  const bool toTray = GetParam();
  StoreOptions(toTray);
  program.start(QStringLiteral(NORVANE_BINARY), {});
  ASSERT_TRUE(program.waitForStarted(5000));
  ASSERT_TRUE(WaitFor(WindowOnScreen, 15000)) << "no window";

  // The rounded outline is the window's shape on the X server: it reaches two pixels beyond
  // the window, and the desktop shows through at the corners.
  EXPECT_TRUE(Shell("xwininfo -shape -id $(xdotool search --onlyvisible --name '^Velqor Norvane$' | head -1)")
                  .contains("Window shape extents:  712x548+0+0"));
  EXPECT_TRUE(Shell("import -window root -crop 1x1+279+233 txt:-").contains("#000000"));
  EXPECT_FALSE(Shell("import -window root -crop 1x1+300+240 txt:-").contains("#000000"));

  // The close button sits at (667, 0), 25 x 14, in the window opened at (279, 233).
  ASSERT_EQ(system("xdotool mousemove 958 240 click 1"), 0);

  if (!toTray) {
    ASSERT_TRUE(program.waitForFinished(10000)) << "closing did not end the program";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    return;
  }
  EXPECT_TRUE(WaitFor([] { return !WindowOnScreen(); }, 5000)) << "the window stayed on screen";
  EXPECT_FALSE(program.waitForFinished(1000)) << "hiding to the tray ended the program";
  QLocalSocket quit;
  quit.connectToServer(home.filePath("run/NorvaneEvent20070409.quit"));
  ASSERT_TRUE(quit.waitForConnected(2000));
  quit.write("quit");
  quit.waitForBytesWritten(2000);
  ASSERT_TRUE(program.waitForFinished(10000));
  EXPECT_EQ(program.exitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(MinimizeToTray, CloseButtonTest, ::testing::Bool());

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
