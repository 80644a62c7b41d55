#pragma once
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QThread>
#include <functional>

namespace nv::test {

// Polls `condition` every 100 ms until it holds or `limitMs` has passed.
inline bool WaitFor(const std::function<bool()>& condition, int limitMs) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < limitMs) {
    if (condition()) return true;
    QThread::msleep(100);
  }
  return condition();
}

// Output of a shell command, for the X tools.
inline QString Shell(const QString& command) {
  QProcess p;
  p.start("sh", {"-c", command});
  p.waitForFinished(10000);
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// Starts trayer as the tray host, docked at the top right, and waits for its panel (which can
// take a while on a loaded machine); false when it does not come up.
inline bool StartTrayHost(QProcess& trayHost) {
  trayHost.start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120", "--height",
                            "24", "--SetDockType", "true"});
  return trayHost.waitForStarted(5000) &&
         WaitFor([] { return Shell("xwininfo -root -tree").contains("(\"panel\" \"trayer\")"); }, 20000);
}

// Visible windows of the program with the given window type, as "WIDTHxHEIGHT" each.
inline QStringList VisibleWindows(const QString& type) {
  QStringList sizes;
  for (const QString& id : Shell("xdotool search --onlyvisible --class norvane").split('\n', Qt::SkipEmptyParts)) {
    if (!Shell("xprop -id " + id + " _NET_WM_WINDOW_TYPE").contains(type)) continue;
    const QString info = Shell("xwininfo -id " + id);
    const auto w = QRegularExpression(R"(Width: (\d+))").match(info).captured(1);
    const auto h = QRegularExpression(R"(Height: (\d+))").match(info).captured(1);
    sizes << w + "x" + h;
  }
  return sizes;
}

// The main window, mapped on the screen (a window minimized without a window manager stays so).
inline bool MainWindowShown() { return VisibleWindows("_NET_WM_WINDOW_TYPE_NORMAL").contains("710x546"); }

}  // namespace nv::test
