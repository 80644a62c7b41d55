// The program as the user starts it: one instance per session, and the quit request.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include "program_home.h"
#include <unistd.h>
#include <QThread>

namespace {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    nv::test::UseProgramHome(home, env);
    env.insert("NORVANE_UPDATE_HOST", "127.0.0.1:9");
  }

  std::unique_ptr<QProcess> Start() {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QStringLiteral(NORVANE_BINARY), {});
    EXPECT_TRUE(p->waitForStarted(5000));
    return p;
  }

  QString QuitSocket() const { return nv::test::QuitSocket(home); }
  bool WaitUntilRunning(QProcess& p) { return nv::test::WaitUntilListening(p, QuitSocket(), 15000); }
  void RequestQuit() { ASSERT_TRUE(nv::test::RequestQuit(QuitSocket())); }

  static void ExpectCleanEnd(QProcess& p, int withinMs) {
    ASSERT_TRUE(p.waitForFinished(withinMs)) << "still running";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
  }

  QTemporaryDir home;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

TEST_F(ProgramTest, ASecondStartEndsAtOnceWhileOneRunsAndAQuitRequestEndsTheRunningOne) {
  auto first = Start();
  ASSERT_TRUE(WaitUntilRunning(*first));
  const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
  EXPECT_EQ(QFile::permissions(QuitSocket()) & others, QFile::Permissions()) << "others may ask it to quit";

  auto second = Start();
  ExpectCleanEnd(*second, 5000);
  EXPECT_EQ(first->state(), QProcess::Running);

  RequestQuit();
  ExpectCleanEnd(*first, 5000);

  // The mark died with the instance: the next start runs normally.
  auto third = Start();
  ASSERT_TRUE(WaitUntilRunning(*third));
  RequestQuit();
  ExpectCleanEnd(*third, 5000);
}

TEST_F(ProgramTest, OtherTalkOnTheQuitSocketIsIgnored) {
  auto running = Start();
  ASSERT_TRUE(WaitUntilRunning(*running));
  {
    QLocalSocket client;
    client.connectToServer(QuitSocket());
    ASSERT_TRUE(client.waitForConnected(2000));
    client.write("hello\n");
    client.waitForBytesWritten(2000);
    client.waitForDisconnected(2000);
  }
  EXPECT_FALSE(running->waitForFinished(500));
  RequestQuit();
  ExpectCleanEnd(*running, 5000);
}

// Without a runtime folder, with the temporary folder's name taken by another file and no home
// folder to fall back on, the program finds no private folder: it says so, and places no
// socket or lock in the folder it was started from (where a ".quit" of the user's stays).
TEST_F(ProgramTest, WithoutAPrivateFolderItSaysSoAndTouchesNothingWhereItStarted) {
  QTemporaryDir started, temp;
  ASSERT_TRUE(started.isValid() && temp.isValid());
  QFile own(started.filePath(QStringLiteral(".quit")));
  ASSERT_TRUE(own.open(QIODevice::WriteOnly) && own.write("mine") == 4);
  own.close();
  QFile taken(temp.filePath(QStringLiteral("norvane-%1").arg(::geteuid())));
  ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
  taken.close();
  env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
  env.insert(QStringLiteral("TMPDIR"), temp.path());
  env.insert(QStringLiteral("HOME"), QStringLiteral("/proc/no-such-home"));

  QProcess program;
  program.setProcessEnvironment(env);
  program.setWorkingDirectory(started.path());
  program.start(QStringLiteral(NORVANE_BINARY), {});
  ASSERT_TRUE(program.waitForStarted(5000));
  QByteArray said;
  QElapsedTimer clock;
  clock.start();
  while (!said.contains("no private folder") && clock.elapsed() < 15000 && program.state() == QProcess::Running) {
    program.waitForReadyRead(200);
    said += program.readAllStandardError();
  }
  EXPECT_TRUE(said.contains("runs without its single-instance lock")) << said.toStdString();
  EXPECT_TRUE(said.contains(temp.filePath(QStringLiteral("norvane-%1").arg(::geteuid())).toUtf8())) << said.toStdString();
  // Long enough for the window and the quit socket to be made.
  QThread::msleep(2000);
  EXPECT_EQ(program.state(), QProcess::Running);
  ASSERT_TRUE(own.open(QIODevice::ReadOnly)) << "the user's .quit was deleted";
  EXPECT_EQ(own.readAll(), QByteArray("mine"));
  program.kill();
  program.waitForFinished(5000);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
