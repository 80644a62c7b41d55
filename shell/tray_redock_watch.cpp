#include "shell/tray_redock_watch.h"

#include <QSystemTrayIcon>
#include <QTimer>

namespace nv {

namespace {
constexpr int kPollMs = 1000;
// Looks without any tray after which the icon counts as having had none (no tray host running).
constexpr int kLooksWithoutTray = 3;
}  // namespace

TrayRedockWatch::TrayRedockWatch(QSystemTrayIcon* icon, std::function<void()> redocked, QObject* parent)
    : QObject(parent), icon_(icon), redocked_(std::move(redocked)), poll_(new QTimer(this)) {
  poll_->setInterval(kPollMs);
  connect(poll_, &QTimer::timeout, this, [this] { Check(); });
}

void TrayRedockWatch::Watch() {
  lostPlace_ = false;
  everDocked_ = false;
  looksWithoutTray_ = 0;
  poll_->start();
}

void TrayRedockWatch::Stop() { poll_->stop(); }

// An icon in no tray has no place on the screen.
void TrayRedockWatch::Check() {
  if (!icon_->isVisible()) return;
  const bool docked = !icon_->geometry().isEmpty();
  if (!docked) {
    ++looksWithoutTray_;
    if (everDocked_ || looksWithoutTray_ >= kLooksWithoutTray) lostPlace_ = true;
    return;
  }
  everDocked_ = true;
  looksWithoutTray_ = 0;
  if (lostPlace_) {
    lostPlace_ = false;
    redocked_();
  }
}

}  // namespace nv
