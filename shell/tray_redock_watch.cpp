#include "shell/tray_redock_watch.h"

#include <QSystemTrayIcon>
#include <QTimer>

namespace nv {

namespace {
constexpr int kPollMs = 1000;
}  // namespace

TrayRedockWatch::TrayRedockWatch(QSystemTrayIcon* icon, std::function<void()> redocked, QObject* parent)
    : QObject(parent), icon_(icon), redocked_(std::move(redocked)), poll_(new QTimer(this)) {
  poll_->setInterval(kPollMs);
  connect(poll_, &QTimer::timeout, this, [this] { Check(); });
}

void TrayRedockWatch::Watch() {
  lostPlace_ = false;
  poll_->start();
}

void TrayRedockWatch::Stop() { poll_->stop(); }

// An icon in no tray has no place on the screen.
void TrayRedockWatch::Check() {
  if (!icon_->isVisible()) return;
  const bool docked = !icon_->geometry().isEmpty();
  if (!docked) {
    lostPlace_ = true;
  } else if (lostPlace_) {
    lostPlace_ = false;
    redocked_();
  }
}

}  // namespace nv
