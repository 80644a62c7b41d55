#include <gtest/gtest.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QGuiApplication>
#include <QObject>
#include <QUrl>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/linux/desktop/qt_shell_exec.h"

namespace fs = std::filesystem;

// Receives what openUrl hands to the desktop, so no browser or viewer starts.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened.push_back(url); }
};

class ShellExecTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  }
  void SetUp() override {
    dir = fs::temp_directory_path() / ("nv-shell-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  fs::path dir;
  nv::QtShellExec shell;
};

TEST_F(ShellExecTest, OpenSendsEachTargetToTheHandlerOfItsScheme) {
  UrlRecorder recorder;
  for (const char* scheme : {"file", "http", "https", "mailto"})
    QDesktopServices::setUrlHandler(scheme, &recorder, "open");

  struct Case {
    std::string target;
    QUrl expected;
  };
  const std::string help = (dir / "Velqor Norvane.chm").string();
  const Case cases[] = {
      {help, QUrl::fromLocalFile(QString::fromStdString(help))},
      {"http://127.0.0.1/help/index.html", QUrl("http://127.0.0.1/help/index.html")},
      {"https://www.velqor.com/", QUrl("https://www.velqor.com/")},
      {"mailto:support@velqor.com", QUrl("mailto:support@velqor.com")},
  };
  for (const auto& c : cases) EXPECT_TRUE(shell.Open(c.target)) << c.target;

  for (const char* scheme : {"file", "http", "https", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);
  ASSERT_EQ(recorder.opened.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(recorder.opened[i], cases[i].expected) << cases[i].target;
}

TEST_F(ShellExecTest, FileExistsOnlyForFiles) {
  std::ofstream(dir / "Update.ini") << "[Version]\n";
  EXPECT_TRUE(shell.FileExists((dir / "Update.ini").string()));
  EXPECT_FALSE(shell.FileExists((dir / "missing.ini").string()));
  EXPECT_FALSE(shell.FileExists(dir.string()));
}

TEST_F(ShellExecTest, ProgramFolderHoldsTheRunningExecutable) {
  const std::string folder = shell.ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(shell.FileExists(folder + "platform_desktop_shell_exec_test"));
}

TEST_F(ShellExecTest, StartProgramRunsItDetached) {
  const auto marker = dir / "started";
  const auto program = dir / "nvUpdate.exe";
  std::ofstream(program) << "#!/bin/sh\ntouch '" << marker.string() << "'\n";
  fs::permissions(program, fs::perms::owner_all);

  ASSERT_TRUE(shell.StartProgram(program.string()));
  for (int i = 0; i < 100 && !fs::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(fs::exists(marker));
}

TEST_F(ShellExecTest, StartProgramFailsForAMissingOrPlainFile) {
  EXPECT_FALSE(shell.StartProgram((dir / "nvUpdate.exe").string()));
  std::ofstream(dir / "plain") << "not a program";
  EXPECT_FALSE(shell.StartProgram((dir / "plain").string()));
}

#include "desktop_shell_exec_test.moc"
