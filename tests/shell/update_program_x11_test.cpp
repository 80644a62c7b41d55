// The real program under X offered a newer version at start: the question comes beside the
// shown main window; Yes starts "nvUpdate.exe" from the program's folder and ends the program,
// or, where the folder holds no updater, opens the download page and goes on; No lets the
// program go on. The download never lands in the program's folder. A server that never
// answers holds nothing back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "program_home.h"

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
    WriteScript(home.filePath("program/nvUpdate.exe"), "touch '" + Marker() + "'");
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
  // Where the download is kept: the program folder's "Update.ini" in the virtual store of the
  // cache folder `cache`.
  QString StoredCopy(const QString& cache) const { return cache + "/norvane/VirtualStore" + home.filePath("program/Update.ini"); }

  static void WriteScript(const QString& path, const QString& body) {
    QFile script(path);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  // Without an updater beside the program, and with a stand-in for xdg-open (which Qt runs to
  // open a web page) that records what it is asked to open.
  QString WithoutUpdaterRecordingTheBrowser() {
    QFile::remove(home.filePath("program/nvUpdate.exe"));
    QDir(home.path()).mkpath("bin");
    const QString opened = home.filePath("opened");
    WriteScript(home.filePath("bin/xdg-open"), "echo \"$@\" >> '" + opened + "'");
    env.insert("PATH", home.filePath("bin") + ":" + env.value("PATH"));
    return opened;
  }

  // The program still runs: its window listens for quit requests. Asks it to quit.
  void ExpectRunningAndQuit() {
    QLocalSocket quit;
    QElapsedTimer clock;
    clock.start();
    while (quit.state() != QLocalSocket::ConnectedState && clock.elapsed() < 20000 &&
           program.state() == QProcess::Running) {
      quit.connectToServer(home.filePath("run/NorvaneEvent20070409.quit"));
      if (!quit.waitForConnected(100)) QThread::msleep(50);
    }
    ASSERT_EQ(quit.state(), QLocalSocket::ConnectedState) << "the main window never came up";
    quit.write("quit\n");
    quit.waitForBytesWritten(2000);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
  }

  static QString Slurp(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  static QString Shell(const QString& command) {
    QProcess shell;
    shell.start("sh", {"-c", command});
    shell.waitForFinished(30000);
    return QString::fromUtf8(shell.readAllStandardOutput());
  }

  // The program's visible windows captioned "Velqor Norvane", split into the main window and
  // message boxes; waits up to `limitMs` for `boxes` boxes (and the main window) to show.
  struct Windows {
    QStringList main, boxes;
  };
  static Windows Shown(int boxes, int limitMs = 20000) {
    Windows shown;
    QElapsedTimer clock;
    clock.start();
    do {
      shown = {};
      for (const QString& id : Shell("xdotool search --onlyvisible --name '^Velqor Norvane$'").split('\n', Qt::SkipEmptyParts))
        (Shell("xprop -id " + id + " _NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DIALOG") ? shown.boxes
                                                                                                  : shown.main)
            << id;
      if (!shown.main.isEmpty() && shown.boxes.size() >= boxes) break;
      QThread::msleep(100);
    } while (clock.elapsed() < limitMs);
    return shown;
  }

  void Start() {
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(Program(), {});
    ASSERT_TRUE(program.waitForStarted(5000));
  }

  // Starts the program and answers the update question, which comes while the main window is
  // shown, with the key given.
  void StartAndAnswer(const char* key) {
    Start();
    const Windows shown = Shown(1);
    ASSERT_EQ(shown.boxes.size(), 1u) << "no question box appeared";
    ASSERT_EQ(shown.main.size(), 1u) << "the question came without the main window";
    ASSERT_EQ(QProcess::execute("xdotool", {"windowfocus", "--sync", shown.boxes[0]}), 0);
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
  EXPECT_TRUE(QFile::exists(StoredCopy(home.filePath("cache"))));
  EXPECT_FALSE(QFile::exists(home.filePath("program/Update.ini")));
}

TEST_F(UpdateOffer, AServerThatNeverAnswersHoldsBackNeitherTheWindowNorTheWayOut) {
  server.SetReply({200, "", LocalHttpServer::Behaviour::NeverAnswer});
  Start();
  const Windows shown = Shown(0);
  ASSERT_EQ(shown.main.size(), 1u) << "the main window never showed";
  EXPECT_TRUE(shown.boxes.empty());
  QElapsedTimer clock;
  clock.start();
  while (server.Requests().empty() && clock.elapsed() < 10000) QThread::msleep(20);
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.OpenHeldConnections(), 1) << "the window showed only after the request was given up";
  // Quitting ends the program without waiting out the request's five-second read timeout.
  clock.restart();
  ExpectRunningAndQuit();
  EXPECT_LT(clock.elapsed(), 4000);
}

TEST_F(UpdateOffer, NoLetsTheStartGoOn) {
  StartAndAnswer("Escape");
  ExpectRunningAndQuit();
  EXPECT_FALSE(QFile::exists(Marker()));
}

TEST_F(UpdateOffer, YesWithoutAnUpdaterOpensTheDownloadPageAndGoesOn) {
  const QString opened = WithoutUpdaterRecordingTheBrowser();
  StartAndAnswer("Return");
  ExpectRunningAndQuit();
  EXPECT_EQ(Slurp(opened), "http://" + QString::fromStdString(server.Host()) + "/products/system-utility/velqor-norvane/\n");
  EXPECT_TRUE(QFile::exists(StoredCopy(home.filePath("cache"))));
  EXPECT_FALSE(QFile::exists(home.filePath("program/Update.ini")));
}

// Root without a cache folder of its own keeps the download in the system's cache folder,
// which a purge of the package removes.
TEST_F(UpdateOffer, RootKeepsTheDownloadInTheSystemsCacheFolder) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, whose download goes to /var/cache/norvane";
  const QString stored = StoredCopy("/var/cache");
  // The folders the program may make there, deepest first, and which of them were there before:
  // the test leaves the machine's cache folder as it found it.
  std::vector<std::pair<QString, bool>> folders;
  for (QString folder = QFileInfo(stored).path(); folder != "/var/cache"; folder = QFileInfo(folder).path())
    folders.emplace_back(folder, QFileInfo::exists(folder));
  env.remove("XDG_CACHE_HOME");
  WithoutUpdaterRecordingTheBrowser();
  StartAndAnswer("Return");
  ExpectRunningAndQuit();
  EXPECT_TRUE(QFile::exists(stored)) << stored.toStdString();
  EXPECT_FALSE(QFile::exists(home.filePath("program/Update.ini")));
  QFile::remove(stored);
  for (const auto& [folder, existed] : folders)
    if (!existed) QDir().rmdir(folder);
}

}  // namespace
