#pragma once
#include <QObject>
#include <functional>

class QSystemTrayIcon;
class QTimer;

namespace nv {

// Tells when Qt has docked the tray icon again in a tray host that appeared anew (the icon had
// lost its place in any tray and has one again), so that the program can add it afresh.
class TrayRedockWatch : public QObject {
  Q_OBJECT
 public:
  TrayRedockWatch(QSystemTrayIcon* icon, std::function<void()> redocked, QObject* parent);
  // Starts watching from an icon just added.
  void Watch();
  void Stop();

 private:
  void Check();

  QSystemTrayIcon* icon_;
  std::function<void()> redocked_;
  QTimer* poll_;
  bool lostPlace_ = false;
};

}  // namespace nv
