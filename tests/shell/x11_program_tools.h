#pragma once
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
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

}  // namespace nv::test
