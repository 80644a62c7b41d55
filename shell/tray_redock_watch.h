#pragma once
#include <QObject>
#include <functional>

class QSystemTrayIcon;
class QTimer;

namespace nv {

// Tells when Qt has docked the tray icon again in a tray host that appeared anew (the icon had
// a place in a tray, or had none for a while, and has one again), so that the program can add it
// afresh. An icon still on its way into its first tray is not a tray host appearing: on a busy
// machine embedding takes longer than one look.
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
  bool everDocked_ = false;
  int looksWithoutTray_ = 0;
};

}  // namespace nv
