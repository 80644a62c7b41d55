#include "shell/after_first_frame.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace nv {
namespace {

class FirstFrameWatch : public QObject {
 public:
  FirstFrameWatch(QWidget& window, std::function<void()> action, std::chrono::milliseconds latest)
      : QObject(&window), action_(std::move(action)) {
    window.installEventFilter(this);
    QTimer::singleShot(latest, this, [this] { Run(); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint || event->type() == QEvent::Hide) {
      watched->removeEventFilter(this);
      // Queued: the frame reaches the screen when this paint returns.
      QTimer::singleShot(0, this, [this] { Run(); });
    }
    return false;
  }

 private:
  void Run() {
    if (done_) return;
    done_ = true;
    action_();
    deleteLater();
  }

  std::function<void()> action_;
  bool done_ = false;
};

}  // namespace

void RunAfterFirstFrame(QWidget& window, std::function<void()> action, std::chrono::milliseconds latest) {
  new FirstFrameWatch(window, std::move(action), latest);
}

}  // namespace nv
