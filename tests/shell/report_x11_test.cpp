// The process report of a real window over the real process walk, under X: out of sight it is
// not walked, and the first paint after its page is selected already shows the processes of
// that moment.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QPaintEvent>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/system/linux_processes.h"
#include "shell/widgets/TStatusBar.h"
#include "window_fixture.h"

extern char** environ;

namespace nv::test {
namespace {

std::set<uint32_t> RunningPids() {
  std::set<uint32_t> pids;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (!name.empty() && std::all_of(name.begin(), name.end(), ::isdigit))
      pids.insert(static_cast<uint32_t>(std::stoul(name)));
  }
  return pids;
}

// Idle children, ended on request and in every case at the end.
class Sleepers {
 public:
  ~Sleepers() {
    while (!pids_.empty()) End(pids_.size());
  }
  void Start(int count) {
    for (int i = 0; i < count; ++i) {
      pid_t pid = -1;
      const char* argv[] = {"sleep", "600", nullptr};
      if (::posix_spawnp(&pid, "sleep", nullptr, nullptr, const_cast<char* const*>(argv), environ) == 0)
        pids_.push_back(pid);
    }
  }
  // Ends the `count` started last and returns their pids.
  std::vector<uint32_t> End(size_t count) {
    std::vector<uint32_t> ended;
    for (size_t i = 0; i < count && !pids_.empty(); ++i) {
      ::kill(pids_.back(), SIGKILL);
      ::waitpid(pids_.back(), nullptr, 0);
      ended.push_back(static_cast<uint32_t>(pids_.back()));
      pids_.pop_back();
    }
    return ended;
  }
  const std::vector<pid_t>& pids() const { return pids_; }

 private:
  std::vector<pid_t> pids_;
};

// Takes the report's rows and the running processes at the first paint of the list.
class FirstPaint : public QObject {
 public:
  explicit FirstPaint(QTreeWidget* list) : list_(list) { list->viewport()->installEventFilter(this); }
  bool done = false;
  std::set<uint32_t> rows, running;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done) {
      done = true;
      running = RunningPids();
      for (int row = 0; row < list_->topLevelItemCount(); ++row)
        rows.insert(list_->topLevelItem(row)->text(1).toUInt());
    }
    return false;
  }

 private:
  QTreeWidget* list_;
};

class ReportUnderX11Test : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X display";
    window_ = std::make_unique<TForm_Tarnel>(Services{memory, linuxProcesses_, cpu, registry, dialogs, clipboard,
                                                      hotKeys, shell, instance, privileges, http, paging, reclaimer,
                                                      reclaimMeter, focus});
  }
  void TearDown() override {
    window_.reset();
    WindowFixture::TearDown();
  }

  LinuxProcesses linuxProcesses_;
  std::unique_ptr<TForm_Tarnel> window_;
};

TEST_F(ReportUnderX11Test, FirstPaintAfterThePageIsSelectedShowsTheProcessesOfThatMoment) {
  TForm_Tarnel& w = *window_;
  TForm_TarnelProbe probe(w);
  Sleepers sleepers;
  sleepers.Start(10);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.SpeedButton_fullClick();
  QTest::qWait(100);
  const int shownRows = probe.ListView_ProcessReport->topLevelItemCount();
  EXPECT_GT(shownRows, 10);

  // Into the tray; while it is there the refreshes go on, processes start and end.
  w.SpeedButton_UsageGraphClick();
  w.hide();
  w.Button_GetProcessInfoClick();
  const std::vector<uint32_t> endedWhileHidden = sleepers.End(5);
  sleepers.Start(30);
  const std::vector<uint32_t> startedAndEnded = sleepers.End(10);
  w.Button_GetProcessInfoClick();
  EXPECT_EQ(probe.ListView_ProcessReport->topLevelItemCount(), shownRows) << "walked while out of sight";

  w.OpenMainWindow1Click();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QTest::qWait(100);
  FirstPaint paint(probe.ListView_ProcessReport);
  const std::set<uint32_t> before = RunningPids();
  QTest::mouseClick(probe.SpeedButton_full, Qt::LeftButton, {}, QPoint(5, 5));
  QTRY_VERIFY_WITH_TIMEOUT(paint.done, 5000);

  for (pid_t pid : sleepers.pids()) EXPECT_TRUE(paint.rows.count(static_cast<uint32_t>(pid))) << "started " << pid;
  for (uint32_t pid : endedWhileHidden) EXPECT_FALSE(paint.rows.count(pid)) << "ended " << pid;
  for (uint32_t pid : startedAndEnded) EXPECT_FALSE(paint.rows.count(pid)) << "started and ended " << pid;
  // Every process that ran from just before the click to the paint has its row.
  for (uint32_t pid : before) {
    if (!paint.running.count(pid)) continue;
    EXPECT_TRUE(paint.rows.count(pid)) << "running " << pid;
  }
  EXPECT_EQ(probe.StatusBar_State->panelText(0).toStdString(),
            "Process number:" + std::to_string(probe.ListView_ProcessReport->topLevelItemCount()));
}

}  // namespace
}  // namespace nv::test
