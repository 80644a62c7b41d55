// The help and about links of the main window and its tray menu's "Live update".
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "shell/TFrm_About.h"
#include "shell/TShowLiveUpdateForm.h"
#include "finish_update_checks.h"
#include "shell/widgets/TLinkLabel.h"
#include "update/live_update.h"
#include "update/product_values.h"
#include "window_fixture.h"
#include "shell/tray_integration.h"

namespace nv::test {
namespace {

namespace fs = std::filesystem;

class HelpArea : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    folder = fs::temp_directory_path() / ("nv-help-area-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "program");
    shell.programFolder = (folder / "program").string() + "/";
    ::setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
    ::setenv("NORVANE_UPDATE_HOST", "updates.example", 1);
  }
  void TearDown() override {
    WindowFixture::TearDown();
    ::unsetenv("XDG_CACHE_HOME");
    ::unsetenv("NORVANE_UPDATE_HOST");
    fs::remove_all(folder);
  }
  fs::path folder;
};

TEST_F(HelpArea, HelpOpensTheLocalHelpFileWhenPresentAndTheWebPageOtherwise) {
  Click(Probe().HelpBtn);
  EXPECT_EQ(shell.opened, std::vector<std::string>{"http://updates.example/products/system-utility/velqor-norvane/help/"});

  const auto helpFile = folder / "program" / "Velqor Norvane.chm";
  std::ofstream(helpFile) << "help";
  shell.opened.clear();
  Click(Probe().HelpBtn);
  EXPECT_EQ(shell.opened, std::vector<std::string>{helpFile.string()});
  EXPECT_TRUE(dialogs.shown.empty());

  shell.opens = false;
  Click(Probe().HelpBtn);
  EXPECT_EQ(dialogs.Texts("error"), std::vector<std::string>{"nothing opens " + helpFile.string()});
}

TEST_F(HelpArea, AboutShowsTheBoxModallyOverTheWindow) {
  Window().show();
  QString version;
  QWidget* boxOwner = nullptr;
  // Read the box from inside its modal loop, then close it; no assertion may stop in here.
  QTimer::singleShot(0, [&] {
    if (auto* about = qobject_cast<TFrm_About*>(QApplication::activeModalWidget())) {
      version = about->Label26->text();
      boxOwner = about->parentWidget();
      Click(about->OKBtn);
    }
  });
  QTimer::singleShot(5000, [] {
    if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) modal->done(-1);
  });
  Click(Probe().AboutBtn);
  EXPECT_EQ(version, "Current version : 2010.1.2");
  EXPECT_EQ(boxOwner, &Window());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(HelpArea, LiveUpdateFromTheTrayMenuChecksEvenWithTheStartCheckOff) {
  registry.Set(RootKey::HKeyCurrentUser, kProductKey, "CheckUpdate", RegValue::Dword(0));
  registry.Set(RootKey::HKeyCurrentUser, kProductKey, "Version", RegValue::String("2010.1.2"));
  http.succeeds = true;
  http.body = "[Version]\nVer=2010.1.3\n";
  dialogs.answers = {false};
  Probe().Tray->Liveupdate1->trigger();
  FinishUpdateChecks(&Window());
  ASSERT_EQ(http.requests.size(), 1u);
  EXPECT_EQ(http.requests[0].url, "http://updates.example/products/system-utility/velqor-norvane/update/Update.ini");
  EXPECT_EQ(dialogs.Texts("yesno"), std::vector<std::string>{kNewerVersionQuestion});
  EXPECT_TRUE(shell.started.empty());
}

TEST_F(HelpArea, AnErrorOfTheMenuCheckReachesTheErrorDialogWithoutTheNotice) {
  registry.Set(RootKey::HKeyCurrentUser, kProductKey, "Version", RegValue::Dword(3));
  http.succeeds = true;
  http.body = "[Version]\nVer=2010.1.3\n";
  // Through the event dispatch, as a click on the menu item arrives.
  QMetaObject::invokeMethod(Probe().Tray->Liveupdate1, &QAction::trigger, Qt::QueuedConnection);
  QCoreApplication::processEvents();
  FinishUpdateChecks(&Window());
  EXPECT_EQ(dialogs.Texts("error"), std::vector<std::string>{"Invalid data type for 'Version'"});
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<TShowLiveUpdateForm*>(w), nullptr);
}

}  // namespace
}  // namespace nv::test
