#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QTest>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "fakes/fake_registry.h"
#include "fakes/local_http_server.h"
#include "fakes/recording_shell_exec.h"
#include "fakes/scripted_dialogs.h"
#include "fakes/write_denied_folder.h"
#include "finish_update_checks.h"
#include "platform/linux/desktop/qt_shell_exec.h"
#include "platform/linux/http/fetcher_http.h"
#include "shell/TDM.h"
#include "shell/TFrm_About.h"
#include "shell/TShowLiveUpdateForm.h"
#include "shell/widgets/TImageEx.h"
#include "shell/widgets/TLinkLabel.h"
#include "update/live_update.h"
#include "update/product_values.h"
#include "window_fixture.h"

namespace {

namespace fs = std::filesystem;
using nv::test::LocalHttpServer;
constexpr auto HKCU = nv::RootKey::HKeyCurrentUser;

TShowLiveUpdateForm* VisibleNotice() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* notice = qobject_cast<TShowLiveUpdateForm*>(w); notice && notice->isVisible()) return notice;
  return nullptr;
}

int NoticeCount() {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) n += qobject_cast<TShowLiveUpdateForm*>(w) != nullptr;
  return n;
}

// Notes whether the notice window was gone when a box was shown.
class ObservedDialogs : public nv::test::ScriptedDialogs {
 public:
  bool AskYesNo(const std::string& text, Icon icon) override {
    noticeDuringBox |= NoticeCount() > 0;
    return ScriptedDialogs::AskYesNo(text, icon);
  }
  void Inform(const std::string& title, const std::string& text) override {
    noticeDuringBox |= NoticeCount() > 0;
    ScriptedDialogs::Inform(title, text);
  }
  bool noticeDuringBox = false;
};

class ShellExecInFolder : public nv::QtShellExec {
 public:
  explicit ShellExecInFolder(std::string folder) : folder_(std::move(folder)) {}
  std::string ProgramFolder() override { return folder_; }

 private:
  std::string folder_;
};

class UpdateArea : public ::testing::Test {
 protected:
  void SetUp() override {
    nv::test::TestApplication(dialogs);
    InitNorvaneResources();
    root = fs::temp_directory_path() / ("nv-shell-update-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "program");
    fs::create_directories(root / "cache");
    shell.programFolder = (root / "program").string() + "/";
    ::setenv("NORVANE_UPDATE_HOST", server.Host().c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("NORVANE_UPDATE_HOST");
    ::unsetenv("XDG_CACHE_HOME");
    fs::remove_all(root);
  }
  void Serve(const std::string& version) { server.SetReply({200, "[Version]\r\nVer=" + version + "\r\n"}); }
  void Install(const std::string& version) {
    registry.Set(HKCU, nv::kProductKey, "Version", nv::RegValue::String(version));
  }
  TDM::Services Services(nv::ShellExec& shellExec) { return {http, registry, dialogs, shellExec}; }
  TDM::Services Services() { return Services(shell); }

  fs::path root;
  LocalHttpServer server;
  nv::FetcherHttp http{NV_FETCHER};
  QObject owner;
  nv::test::FakeRegistry registry;
  ObservedDialogs dialogs;
  nv::test::RecordingShellExec shell;
};

TEST_F(UpdateArea, TheNoticeWindowIsLaidOutAsDesigned) {
  TShowLiveUpdateForm notice;
  notice.ShowCentred();
  EXPECT_EQ(notice.windowTitle(), "Live Update");
  EXPECT_EQ(notice.size(), QSize(368, 136));
  EXPECT_EQ(notice.minimumSize(), notice.maximumSize());
  EXPECT_TRUE(notice.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(notice.palette().color(QPalette::Window), QColor(253, 253, 253));
  EXPECT_EQ(notice.Image1->pictureName, "LiveUpdate");
  EXPECT_EQ(notice.Image1->geometry(), QRect(8, 8, 350, 80));
  EXPECT_EQ(notice.Label1->text(), "Checking the latest version, please wait...");
  EXPECT_EQ(notice.Label1->pos(), QPoint(12, 96));
  EXPECT_TRUE(notice.Label1->font().bold());
  EXPECT_EQ(notice.Label1->font().family(), "Georgia");
  // 16 pixels where Georgia is installed; a wider stand-in is made smaller until the whole
  // sentence fits the window.
  if (QFontInfo(notice.Label1->font()).family() == "Georgia") {
    EXPECT_EQ(notice.Label1->font().pixelSize(), 16);
  }
  EXPECT_LE(notice.Label1->font().pixelSize(), 16);
  EXPECT_LE(notice.Label1->x() + notice.Label1->sizeHint().width(), notice.width());
}

TEST_F(UpdateArea, AFirstStartWritesTheDefaultsAndRunsTheSilentCheck) {
  Serve("2010.1.2");
  Install("2010.1.2");
  const auto dm = StartUpdateArea(Services());
  ASSERT_NE(dm, nullptr);
  ASSERT_NE(registry.Get(HKCU, nv::kProductKey, "CheckUpdate"), nullptr);
  EXPECT_EQ(registry.Get(HKCU, nv::kProductKey, "CheckUpdate")->AsDword(), 1u);
  EXPECT_NE(registry.Get(HKCU, nv::kProductKey, "HelpURL"), nullptr);
  EXPECT_EQ(NoticeCount(), 0);  // silent: no notice
  nv::test::FinishUpdateChecks(dm.get());
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(UpdateArea, CheckUpdateZeroSkipsTheStartCheckButTheMenuStillChecks) {
  registry.Set(HKCU, nv::kProductKey, "CheckUpdate", nv::RegValue::Dword(0));
  Serve("2099");
  nv::test::FinishUpdateChecks(StartUpdateArea(Services()).get());
  EXPECT_TRUE(server.Requests().empty());

  dialogs.answers = {false};
  TDM::LiveUpdate(Services(), true, &owner);
  EXPECT_NE(VisibleNotice(), nullptr);  // while the request runs
  nv::test::FinishUpdateChecks(&owner);
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_FALSE(dialogs.noticeDuringBox);
  EXPECT_EQ(dialogs.Texts("yesno"), std::vector<std::string>{nv::kNewerVersionQuestion});
  EXPECT_EQ(NoticeCount(), 0);
}

TEST_F(UpdateArea, InteractiveCheckWithoutUpdateTellsSoAfterTheNoticeIsGone) {
  Serve("2010.1.2");
  Install("2010.1.2");
  TDM::LiveUpdate(Services(), true, &owner);
  EXPECT_NE(VisibleNotice(), nullptr);
  nv::test::FinishUpdateChecks(&owner);
  EXPECT_FALSE(dialogs.noticeDuringBox);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].title, "Velqor Norvane");
  EXPECT_EQ(dialogs.shown[0].text, nv::kUpToDateMessage);
  EXPECT_EQ(NoticeCount(), 0);
}

// The request never holds the message loop: a server that never answers leaves the loop
// running, a second click while the check is under way starts no second one, and the owner
// closing gives the request up at once, long before its five-second read timeout.
TEST_F(UpdateArea, AServerThatNeverAnswersHoldsNothingAndIsGivenUpWithItsOwner) {
  server.SetReply({200, "", LocalHttpServer::Behaviour::NeverAnswer});
  auto checkOwner = std::make_unique<QObject>();
  TDM::LiveUpdate(Services(), true, checkOwner.get());
  TDM::LiveUpdate(Services(), true, checkOwner.get());
  EXPECT_NE(VisibleNotice(), nullptr);
  bool loopRan = false;
  QTimer::singleShot(50, [&loopRan] { loopRan = true; });
  QElapsedTimer clock;
  clock.start();
  while ((!loopRan || server.Requests().empty()) && clock.elapsed() < 4000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_TRUE(loopRan);
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_NE(VisibleNotice(), nullptr) << "the check ended while the server still held its answer";
  // Nothing is staged while the request runs, so that a program killed now leaves no file.
  for (const auto& entry : fs::recursive_directory_iterator(root / "cache"))
    EXPECT_NE(entry.path().filename().string().rfind(".Update.ini", 0), 0u) << entry.path();

  clock.restart();
  checkOwner.reset();
  EXPECT_LT(clock.elapsed(), 4000) << "closing waited on the request";
  EXPECT_EQ(NoticeCount(), 0);
  QCoreApplication::processEvents();
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(UpdateArea, YesAtStartUpStartsTheUpdaterAndEndsTheProgramOnceItsLoopRuns) {
  const auto marker = root / "program" / "updater-ran";
  const auto updater = root / "program" / "nvUpdate.exe";
  std::ofstream(updater) << "#!/bin/sh\ntouch '" << marker.string() << "'\n";
  fs::permissions(updater, fs::perms::owner_all);
  ShellExecInFolder realShell((root / "program").string() + "/");
  Serve("2010.1.3");
  Install("2010.1.2");

  const auto dm = StartUpdateArea(Services(realShell));
  EXPECT_TRUE(dialogs.Texts("yesno").empty()) << "the question came before the loop ran";
  QTimer::singleShot(10000, [] { QCoreApplication::exit(2); });  // the loop would run on
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_EQ(dialogs.Texts("yesno").size(), 1u);
  for (int i = 0; i < 100 && !fs::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(fs::exists(marker)) << "nvUpdate.exe was not started";
}

TEST_F(UpdateArea, StartUpErrorsAreShownAndStartUpGoesOn) {
  // The local copy cannot be made anywhere: the check's error is shown, the module exists.
  Serve("2010.1.3");
  {
    nv::test::WriteDeniedFolder program(root / "program");
    nv::test::WriteDeniedFolder cache(root / "cache");
    EXPECT_NE(StartUpdateArea(Services()), nullptr);
  }
  ASSERT_EQ(dialogs.Texts("error").size(), 1u);
  EXPECT_EQ(dialogs.Texts("error")[0].rfind("Cannot create file \"", 0), 0u) << dialogs.Texts("error")[0];

  // A product value of the wrong type: its error is shown and no check runs.
  dialogs.shown.clear();
  const auto requests = server.Requests().size();
  registry.Set(HKCU, nv::kProductKey, "CheckUpdate", nv::RegValue::String("1"));
  EXPECT_NE(StartUpdateArea(Services()), nullptr);
  EXPECT_EQ(dialogs.Texts("error"), std::vector<std::string>{"Invalid data type for 'CheckUpdate'"});
  EXPECT_EQ(server.Requests().size(), requests);
}

TEST_F(UpdateArea, AnUnwritableProgramFolderShowsNoError) {
  Serve("2010.1.2");
  Install("2010.1.2");
  {
    nv::test::WriteDeniedFolder program(root / "program");
    nv::test::FinishUpdateChecks(StartUpdateArea(Services()).get());
  }
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(fs::exists(root / "cache" / "norvane" / "VirtualStore" / (root / "program" / "Update.ini").relative_path()));
}

TEST_F(UpdateArea, AnInteractiveErrorIsShownWithoutTheNotice) {
  Serve("2010.1.3");
  registry.Set(HKCU, nv::kProductKey, "Version", nv::RegValue::Dword(1));
  TDM::LiveUpdate(Services(), true, &owner);
  nv::test::FinishUpdateChecks(&owner);
  EXPECT_EQ(dialogs.Texts("error"), std::vector<std::string>{"Invalid data type for 'Version'"});
  EXPECT_EQ(NoticeCount(), 0);
}

class AboutBox : public ::testing::Test {
 protected:
  void SetUp() override {
    nv::test::TestApplication(dialogs);
    InitNorvaneResources();
    ::setenv("NORVANE_UPDATE_HOST", "updates.example", 1);
  }
  void TearDown() override { ::unsetenv("NORVANE_UPDATE_HOST"); }
  nv::test::ScriptedDialogs dialogs;
  QWidget owner;
  nv::test::RecordingShellExec shell;
};

TEST_F(AboutBox, ShowsTheVersionTextsAndItsRoundedOutline) {
  TFrm_About about(shell, dialogs, &owner);
  EXPECT_EQ(about.size(), QSize(493, 350));
  EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(about.Label26->text(), "Current version : 2010.1.2");
  EXPECT_EQ(about.Label28->text(), "Support OS:Windows 95/98/ME/NT4/XP/2000/2003/Vista");
  EXPECT_EQ(about.Label30->text(), "E-mail:");
  EXPECT_EQ(about.Label32->text(), "http://updates.example");
  EXPECT_EQ(about.Label31->text().toStdString(), nv::SupportAddress());
  EXPECT_EQ(about.Image1->pictureName, "About");
  EXPECT_EQ(about.Image1->size(), QSize(493, 350));
  EXPECT_EQ(about.OKBtn->geometry(), QRect(336, 258, 95, 25));
  const QRegion outline = about.mask();
  EXPECT_EQ(outline.boundingRect(), QRect(0, 0, 495, 352));
  EXPECT_FALSE(outline.contains(QPoint(0, 0)));
  EXPECT_FALSE(outline.contains(QPoint(494, 351)));
  EXPECT_TRUE(outline.contains(QPoint(8, 8)));
  EXPECT_TRUE(outline.contains(QPoint(246, 0)));
}

TEST_F(AboutBox, OkShowsItsHoverPictureAndClosesTheBox) {
  TFrm_About about(shell, dialogs, &owner);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(about.OKBtn, &enter);
  EXPECT_EQ(about.OKBtn->pictureName, "OK1");
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(about.OKBtn, &leave);
  EXPECT_EQ(about.OKBtn->pictureName, "OK");

  QTimer::singleShot(0, &about, [&about] { QTest::mouseClick(about.OKBtn, Qt::LeftButton, {}, QPoint(10, 10)); });
  QTimer::singleShot(5000, &about, [&about] { about.done(-1); });  // never hang on a broken button
  EXPECT_EQ(about.exec(), QDialog::Accepted);
}

TEST_F(AboutBox, LinksOpenTheWebPageAndANewMail) {
  TFrm_About about(shell, dialogs, &owner);
  QTest::mouseClick(about.Label32, Qt::LeftButton, {}, QPoint(2, 2));
  QTest::mouseClick(about.Label31, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(shell.opened, (std::vector<std::string>{"http://updates.example", "mailto:" + nv::SupportAddress()}));
  EXPECT_TRUE(dialogs.shown.empty());

  // A desktop without a browser or a mail program: each click says why nothing opened.
  shell.opens = false;
  QTest::mouseClick(about.Label31, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(dialogs.Texts("error"), std::vector<std::string>{"nothing opens mailto:" + nv::SupportAddress()});
}

TEST_F(AboutBox, IsCentredOverItsOwnerAndOnlyTheLeftButtonMovesIt) {
  owner.setGeometry(200, 150, 710, 546);
  TFrm_About about(shell, dialogs, &owner);
  about.show();
  EXPECT_EQ(about.geometry().center(), owner.geometry().center());
  about.move(100, 100);
  const auto mouse = [&about](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at) {
    QMouseEvent event(type, at, about.Image1->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(about.Image1, &event);
  };
  mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, {50, 50});
  mouse(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, {80, 70});
  mouse(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, {80, 70});
  EXPECT_EQ(about.pos(), QPoint(100, 100));

  mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {50, 50});
  mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {80, 70});
  mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {50, 50});
  EXPECT_EQ(about.pos(), QPoint(130, 120));
  EXPECT_TRUE(about.isVisible());  // a press and release on the picture does not close the box
}

}  // namespace
