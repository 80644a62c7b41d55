// The real program on a Wayland session whose Qt lacks the Wayland platform plugin: it runs
// through XWayland (here the X server of the test) instead of aborting, and says why once.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "program_home.h"

namespace {

TEST(PlatformFallback, WithoutQtsWaylandPluginAWaylandSessionRunsOnX11) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "needs an X display (scripts/test runs this suite under Xvfb)";
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  // A copy of the program whose qt.conf names a plugin folder with the X11 platform alone, as
  // on a system without qt6-wayland.
  ASSERT_TRUE(QDir(home.path()).mkpath("program"));
  ASSERT_TRUE(QDir(home.path()).mkpath("plugins/platforms"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(NORVANE_BINARY), home.filePath("program/norvane")));
  const QString xcb = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqxcb.so";
  ASSERT_TRUE(QFile::link(xcb, home.filePath("plugins/platforms/libqxcb.so"))) << xcb.toStdString();
  QFile conf(home.filePath("program/qt.conf"));
  ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
  conf.write(("[Paths]\nPlugins=" + home.filePath("plugins") + "\n").toUtf8());
  conf.close();

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  nv::test::UseProgramHome(home, env);
  env.remove("QT_QPA_PLATFORM");
  env.remove("QT_PLUGIN_PATH");
  env.remove("QT_QPA_PLATFORM_PLUGIN_PATH");
  env.insert("WAYLAND_DISPLAY", "wayland-norvane-test");
  env.insert("NORVANE_UPDATE_HOST", "127.0.0.1:9");  // nothing listens there: no request leaves the machine
  QProcess program;
  program.setProcessEnvironment(env);
  program.start(home.filePath("program/norvane"), {});
  ASSERT_TRUE(program.waitForStarted(5000));

  QLocalSocket quit;
  QElapsedTimer clock;
  clock.start();
  while (quit.state() != QLocalSocket::ConnectedState && clock.elapsed() < 20000 && program.state() == QProcess::Running) {
    quit.connectToServer(home.filePath("run/NorvaneEvent20070409.quit"));
    if (!quit.waitForConnected(100)) QThread::msleep(50);
  }
  const bool up = quit.state() == QLocalSocket::ConnectedState;
  if (up) {
    quit.write("quit\n");
    quit.waitForBytesWritten(2000);
  }
  if (!program.waitForFinished(10000)) program.kill();
  const std::string errors = program.readAllStandardError().toStdString();
  ASSERT_TRUE(up) << "the program never came up: " << errors;
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << errors;
  EXPECT_EQ(program.exitCode(), 0) << errors;
  const std::string why = "Qt could not start its Wayland platform";
  const size_t said = errors.find(why);
  EXPECT_NE(said, std::string::npos) << errors;
  EXPECT_EQ(errors.find(why, said + 1), std::string::npos) << "said more than once: " << errors;
}

}  // namespace
