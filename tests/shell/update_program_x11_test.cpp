// The real program under X offered a newer version at start: Yes starts "nvUpdate.exe" from
// the program's folder and ends the program; No lets the start go on.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "program_home.h"
#include <QThread>

#include "fakes/local_http_server.h"

namespace {

using nv::test::LocalHttpServer;

class UpdateOffer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    QDir(home.path()).mkpath("run");
    QDir(home.path()).mkpath("program");
    QDir(home.path()).mkpath("registry");
    QFile::setPermissions(home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The program's folder is the one its executable lies in: a copy beside the stub updater,
    // with the fetcher that makes its update request.
    ASSERT_TRUE(QFile::copy(QStringLiteral(NORVANE_BINARY), Program()));
    ASSERT_TRUE(QFile::copy(QStringLiteral(NORVANE_FETCHER), home.filePath("program/norvane-fetch")));
    QFile updater(home.filePath("program/nvUpdate.exe"));
    ASSERT_TRUE(updater.open(QIODevice::WriteOnly));
    updater.write(("#!/bin/sh\ntouch '" + Marker() + "'\n").toUtf8());
    updater.close();
    updater.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile hive(home.filePath("registry/HKEY_CURRENT_USER.reg"));
    ASSERT_TRUE(hive.open(QIODevice::WriteOnly));
    hive.write("Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_CURRENT_USER\\Software\\Velqor Norvane]\r\n\"Version\"=\"2010.1.2\"\r\n");
    hive.close();
    server.SetReply({200, "[Version]\r\nVer=2010.1.3\r\n"});

    nv::test::UseProgramHome(home, env);
    env.insert("NORVANE_UPDATE_HOST", QString::fromStdString(server.Host()));
    env.insert("QT_QPA_PLATFORM", "xcb");
  }
  void TearDown() override {
    if (program.state() != QProcess::NotRunning) {
      program.kill();
      program.waitForFinished(5000);
    }
  }

  QString Program() const { return home.filePath("program/norvane"); }
  QString Marker() const { return home.filePath("updater-ran"); }

  // Starts the program and answers the update question, which comes before the main window,
  // with the key given.
  void StartAndAnswer(const char* key) {
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(Program(), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    QProcess search;
    search.start("timeout", {"20", "xdotool", "search", "--sync", "--onlyvisible", "--name", "^Velqor Norvane$"});
    ASSERT_TRUE(search.waitForFinished(25000));
    const QString box = QString::fromUtf8(search.readAllStandardOutput()).split('\n').value(0).trimmed();
    ASSERT_FALSE(box.isEmpty()) << "no question box appeared";
    ASSERT_EQ(QProcess::execute("xdotool", {"windowfocus", "--sync", box}), 0);
    QThread::msleep(300);
    ASSERT_EQ(QProcess::execute("xdotool", {"key", key}), 0);
  }

  QTemporaryDir home;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  LocalHttpServer server;
  QProcess program;
};

TEST_F(UpdateOffer, YesStartsTheUpdaterFromTheProgramsFolderAndEndsTheProgram) {
  StartAndAnswer("Return");
  ASSERT_TRUE(program.waitForFinished(15000)) << "the program went on after Yes";
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  QElapsedTimer clock;
  clock.start();
  while (!QFile::exists(Marker()) && clock.elapsed() < 5000) QThread::msleep(50);
  EXPECT_TRUE(QFile::exists(Marker())) << "nvUpdate.exe was not started";
  EXPECT_TRUE(QFile::exists(home.filePath("program/Update.ini")));
}

TEST_F(UpdateOffer, NoLetsTheStartGoOn) {
  StartAndAnswer("Escape");
  ASSERT_TRUE(nv::test::WaitUntilListening(program, nv::test::QuitSocket(home))) << "the main window never came up";
  EXPECT_FALSE(QFile::exists(Marker()));
  ASSERT_TRUE(nv::test::RequestQuit(nv::test::QuitSocket(home)));
  ASSERT_TRUE(program.waitForFinished(10000));
  EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
