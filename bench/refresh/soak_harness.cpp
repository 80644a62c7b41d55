// The main window over the real Linux services and hive registry, as the program runs it,
// reporting every few seconds what must not grow with running time: its resident memory, its
// open descriptors, the report's rows against the processes in /proc, the graphs' points and
// its tray icons. Settings come from the registry of the environment, as for the program.
#include <dirent.h>

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/linux/registry/hive_environment.h"
#include "shell/TForm_Tarnel.h"
#include "shell/linux_services.h"
#include "shell/widgets/TLineChart.h"
#include "tests/shell/window_probe.h"

namespace {

int CountEntries(const char* folder, bool digitsOnly) {
  int count = 0;
  if (DIR* d = opendir(folder)) {
    while (const dirent* e = readdir(d))
      if (e->d_name[0] != '.' && (!digitsOnly || std::isdigit(static_cast<unsigned char>(e->d_name[0])))) ++count;
    closedir(d);
  }
  return count;
}

long StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  return -1;
}

// The report's list is made when the report is first seen; until then it has no rows.
int ReportRows(TForm_Tarnel& window) {
  QTreeWidget* list = TForm_TarnelProbe(window).ListView_ProcessReport;
  return list ? list->topLevelItemCount() : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
  const int every = argc > 2 ? std::atoi(argv[2]) : 30;
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  Q_INIT_RESOURCE(norvane);
  nv::LinuxServices platform;
  const auto registry = nv::MakeHiveRegistry();
  nv::Services services = platform.services();
  TForm_Tarnel window(nv::Services{services.memory, services.processes, services.cpu, *registry,
                                   services.dialogs, services.clipboard, services.hotKeys, services.shell,
                                   services.instance, services.privileges, services.http, services.paging,
                                   services.reclaimer, services.reclaimMeter, services.focus});
  window.show();
  TForm_TarnelProbe probe(window);

  std::printf("seconds rss_kb hwm_kb fds rows proc_entries chart_points tray_icons refresh_ms\n");
  int elapsed = 0;
  QTimer report;
  QObject::connect(&report, &QTimer::timeout, [&] {
    elapsed += every;
    int points = 0;
    for (TLineChart* chart : {probe.Chart_CPUs, probe.Chart_PhyMem})
      for (int i = 0; i < chart->seriesCount(); ++i) points += chart->series(i).count();
    std::printf("%d %ld %ld %d %d %d %d %lld %d\n", elapsed, StatusKilobytes("VmRSS"), StatusKilobytes("VmHWM"),
                CountEntries("/proc/self/fd", false), ReportRows(window),
                CountEntries("/proc", true), points,
                static_cast<long long>(window.findChildren<QSystemTrayIcon*>().size()),
                probe.Timer_GetProcessInfo->interval());
    std::fflush(stdout);
    if (elapsed >= seconds) QCoreApplication::quit();
  });
  report.start(every * 1000);
  app.exec();
  window.RemoveTrayIcon();
  return 0;
}
