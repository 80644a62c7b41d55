#pragma once
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include "program_home_variables.h"

namespace nv::test {

// Points every per-user and machine location of a program started with `env` into `home`.
inline void UseProgramHome(const QTemporaryDir& home, QProcessEnvironment& env) {
  MakeRuntimeFolder(home.path().toStdString());
  for (const auto& [name, value] : ProgramHomeVariables(home.path().toStdString()))
    env.insert(QString::fromStdString(name), QString::fromStdString(value));
}

// The socket on which a program started in `home` takes quit requests.
inline QString QuitSocket(const QTemporaryDir& home) { return home.filePath("run/NorvaneEvent20070409.quit"); }

// Waits until `program` takes quit requests, which it does once its window exists; false when
// it ended first or `limitMs` passed.
inline bool WaitUntilListening(QProcess& program, const QString& socket, int limitMs = 20000) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < limitMs && program.state() == QProcess::Running) {
    QLocalSocket probe;
    probe.connectToServer(socket);
    if (probe.waitForConnected(100)) return true;
    QThread::msleep(50);
  }
  return false;
}

// Sends the quit request; false when nothing takes it.
inline bool RequestQuit(const QString& socket) {
  QLocalSocket client;
  client.connectToServer(socket);
  if (!client.waitForConnected(2000)) return false;
  client.write("quit\n");
  const bool written = client.waitForBytesWritten(2000);
  client.waitForDisconnected(2000);
  return written;
}

}  // namespace nv::test
