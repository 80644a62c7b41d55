// The real program with a real tray host (trayer) on an X display: the icon is embedded, its
// tip follows the refresh and a tray host that comes back, a double click shows the hidden
// window, the menu's "Exit" ends the program, and a new start then runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include <optional>

#include "fakes/local_http_server.h"
#include "program_home_variables.h"
#include "x11_program_tools.h"

namespace {

using nv::test::MainWindowShown;
using nv::test::Shell;
using nv::test::VisibleWindows;
using nv::test::WaitFor;

void Quiet(const QString& command) { Shell(command + " >/dev/null 2>&1"); }

struct Geometry {
  int width = 0, height = 0, x = 0, y = 0;  // x and y on the screen
};

// The program's windows that sit inside another window: the tray icons it has embedded.
std::vector<Geometry> EmbeddedIcons() {
  static const QRegularExpression line(
      R"(^( +)0x[0-9a-f]+ "Velqor Norvane": \("norvane" "Velqor Norvane"\)\s+(\d+)x(\d+)\S*\s+\+(-?\d+)\+(-?\d+))");
  std::vector<Geometry> icons;
  for (const QString& text : Shell("xwininfo -root -tree").split('\n')) {
    const auto m = line.match(text);
    if (m.hasMatch() && m.captured(1).size() > 5)
      icons.push_back({m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt(), m.captured(5).toInt()});
  }
  return icons;
}

// The popup menu: seven items, smaller than the window and larger than the icon.
bool MenuShown() {
  for (const QString& size : VisibleWindows("_NET_WM_WINDOW_TYPE_NORMAL")) {
    const int w = size.section('x', 0, 0).toInt(), h = size.section('x', 1, 1).toInt();
    if (w >= 80 && w < 400 && h >= 60 && h < 400) return true;
  }
  return false;
}

// The width of the tip shown while the pointer rests on the icon; nullopt when none shows.
// "Velqor Norvane" gives a narrow tip, the memory figures a wide one.
std::optional<int> TipWidth(const Geometry& icon) {
  // Away long enough for the last tip to go, then onto the icon with a move inside it.
  Quiet("xdotool mousemove 0 500");
  QThread::msleep(1500);
  Quiet(QString("xdotool mousemove %1 %2").arg(icon.x + 2).arg(icon.y + 2));
  QThread::msleep(200);
  Quiet(QString("xdotool mousemove %1 %2").arg(icon.x + icon.width / 2).arg(icon.y + icon.height / 2));
  std::optional<int> width;
  WaitFor([&width] {
    const QStringList tips = VisibleWindows("_NET_WM_WINDOW_TYPE_TOOLTIP");
    if (!tips.isEmpty()) width = tips.first().section('x', 0, 0).toInt();
    return width.has_value();
  }, 4000);
  return width;
}

constexpr int kNarrowTip = 160;  // "Velqor Norvane" fits; "NNNN MB free of NNNN MB physical memory" does not

class TrayX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "needs an X display";
    ASSERT_TRUE(EmbeddedIcons().empty()) << "another program's icon is in the way";
    QDir(home.path()).mkpath("registry");
    // Set in this process: every program the tests start inherits it.
    ASSERT_TRUE(nv::test::MakeRuntimeFolder(home.path().toStdString()));
    for (const auto& [name, value] : nv::test::ProgramHomeVariables(home.path().toStdString()))
      ::setenv(name.c_str(), value.c_str(), 1);
    qputenv("NORVANE_UPDATE_HOST", "127.0.0.1:9");
    qunsetenv("QT_QPA_PLATFORM");
    ASSERT_TRUE(nv::test::StartTrayHost(trayHost)) << "the tray host did not come up";
  }

  void TearDown() override {
    for (QProcess* p : {&program, &trayHost}) {
      if (p->state() == QProcess::NotRunning) continue;
      p->kill();
      p->waitForFinished(5000);
    }
  }

  // The first 28 bytes of the settings record: auto refresh every `refreshSeconds` (1 to 59),
  // "Minimize when start" checked, the default hot keys after them.
  void StoreOptions(int refreshSeconds) {
    QFile hive(home.filePath("registry/HKEY_LOCAL_MACHINE.reg"));
    ASSERT_TRUE(hive.open(QIODevice::WriteOnly));
    hive.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Norvane]\r\n"
               "\"NvSetInfo\"=hex:00,00,00,00,01,00,00,00,01,00,00,00,46,00,00,00,00,01,00,00,");
    hive.write(QByteArray::number(refreshSeconds, 16).rightJustified(2, '0'));
    hive.write(",00,00,00,00,01,01,00\r\n");
  }

  // Right click opens the menu at the pointer; its last item is "Exit".
  void ExitFromTheMenu(const Geometry& icon) {
    Quiet(QString("xdotool mousemove %1 %2 click 3").arg(icon.x + icon.width / 2).arg(icon.y + icon.height / 2));
    ASSERT_TRUE(WaitFor(MenuShown, 5000)) << "no menu";
    Quiet("xdotool key Up Return");
    ASSERT_TRUE(program.waitForFinished(10000)) << "\"Exit\" did not end the program";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(WaitFor([] { return EmbeddedIcons().empty(); }, 5000)) << "the icon outlived the program";
  }


  void StartProgram() {
    program.start(QStringLiteral(NORVANE_BINARY), {});
    ASSERT_TRUE(program.waitForStarted(5000));
  }

  std::optional<Geometry> WaitForIcon() {
    std::optional<Geometry> icon;
    WaitFor([&icon] {
      const auto icons = EmbeddedIcons();
      if (icons.size() == 1) icon = icons.front();
      return icon.has_value();
    }, 15000);
    return icon;
  }

  QTemporaryDir home;
  QProcess trayHost;
  QProcess program;
};

TEST_F(TrayX11Test, TipFollowsTheRefreshDoubleClickShowsExitEndsAndANewStartRuns) {
  StoreOptions(1);
  StartProgram();
  const auto icon = WaitForIcon();
  ASSERT_TRUE(icon) << "the icon was not embedded";
  EXPECT_TRUE(WaitFor([] { return !MainWindowShown(); }, 5000)) << "\"Minimize when start\" left the window shown";
  EXPECT_TRUE(WaitFor([&icon] { return TipWidth(*icon).value_or(0) > kNarrowTip; }, 15000))
      << "the tip did not follow the refresh";

  Quiet(QString("xdotool mousemove %1 %2 click --repeat 2 --delay 80 1").arg(icon->x + 11).arg(icon->y + 11));
  EXPECT_TRUE(WaitFor(MainWindowShown, 5000)) << "double click did not show the window";

  ExitFromTheMenu(*icon);
  // The single-instance mark was dropped: a new start runs and shows its icon.
  StartProgram();
  const auto again = WaitForIcon();
  EXPECT_TRUE(again) << "a start after \"Exit\" did not come up";
  if (again) ExitFromTheMenu(*again);
}

TEST_F(TrayX11Test, ANewTrayHostGetsTheIconOnceWithTheTitleAsTip) {
  // Slow refreshes leave time to see the title come back before the next one writes figures.
  StoreOptions(20);
  StartProgram();
  const auto first = WaitForIcon();
  ASSERT_TRUE(first) << "the icon was not embedded";
  ASSERT_TRUE(WaitFor([&first] { return TipWidth(*first).value_or(0) > kNarrowTip; }, 45000))
      << "no refresh wrote the figures into the tip";
  trayHost.kill();
  trayHost.waitForFinished(5000);
  ASSERT_TRUE(WaitFor([] { return EmbeddedIcons().empty(); }, 5000));
  QThread::msleep(2000);  // a shell restart: some time without any tray

  ASSERT_TRUE(nv::test::StartTrayHost(trayHost)) << "the tray host did not come up";
  const auto icon = WaitForIcon();
  ASSERT_TRUE(icon) << "the icon did not come back to the new tray host";
  const auto tip = TipWidth(*icon);
  ASSERT_TRUE(tip) << "no tip";
  EXPECT_LT(*tip, kNarrowTip);
  EXPECT_EQ(EmbeddedIcons().size(), 1u);
  ExitFromTheMenu(*icon);
}

// The check from the menu shows its notice while it runs, captioned "Live Update" and nothing
// more, then says that the version is the latest.
TEST_F(TrayX11Test, LiveUpdateFromTheMenuShowsItsNoticeUnderItsOwnCaption) {
  nv::test::LocalHttpServer server;
  server.SetReply({404, std::string(400, 'x'), nv::test::LocalHttpServer::Behaviour::SlowBody, 1000});
  qputenv("NORVANE_UPDATE_HOST", QByteArray::fromStdString(server.Host()));
  StoreOptions(20);
  StartProgram();
  const auto icon = WaitForIcon();
  ASSERT_TRUE(icon) << "the icon was not embedded";
  Quiet(QString("xdotool mousemove %1 %2 click 3").arg(icon->x + icon->width / 2).arg(icon->y + icon->height / 2));
  ASSERT_TRUE(WaitFor(MenuShown, 5000)) << "no menu";
  Quiet("xdotool key Up Up Return");  // "Live update", above "Exit"

  const QString notice = Shell("timeout 10 xdotool search --sync --onlyvisible --name '^Live Update' | head -1").trimmed();
  ASSERT_FALSE(notice.isEmpty()) << "no notice";
  EXPECT_EQ(Shell("xprop -id " + notice + " _NET_WM_NAME").trimmed().toStdString(),
            "_NET_WM_NAME(UTF8_STRING) = \"Live Update\"");
  ASSERT_TRUE(WaitFor([] { return Shell("xdotool search --onlyvisible --name '^Live Update'").isEmpty(); }, 15000))
      << "the notice outlived the check";
  QString answer;
  WaitFor([&answer] {
    for (const QString& id : Shell("xdotool search --onlyvisible --class norvane").split('\n', Qt::SkipEmptyParts))
      if (Shell("xprop -id " + id + " _NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DIALOG")) answer = id;
    return !answer.isEmpty();
  }, 15000);
  ASSERT_FALSE(answer.isEmpty()) << "no answer after the check";
  EXPECT_EQ(Shell("xprop -id " + answer + " _NET_WM_NAME").trimmed().toStdString(),
            "_NET_WM_NAME(UTF8_STRING) = \"Velqor Norvane\"");
  Quiet("xdotool windowfocus --sync " + answer + " key Return");
  ExitFromTheMenu(*icon);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
