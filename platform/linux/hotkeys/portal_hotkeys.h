#pragma once
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <functional>
#include <map>
#include <string>

#include "platform/hotkeys.h"

class QDBusMessage;
class QDBusObjectPath;
class QDBusServiceWatcher;

namespace nv {

struct PortalShortcut;  // one entry of the portal's lists of shortcuts

// Global hot keys on a Wayland session, where no client may grab keys: the desktop portal's
// GlobalShortcuts interface binds them for us. Nothing here waits for the portal: every call
// is asynchronous, a registration reports its outcome later through the outcome handler, and
// the registrations made in one turn of the event loop are bound together. A portal that has
// not answered within a few seconds leaves the keys unregistered with that reason, and binds
// them when it answers after all. The portal's bus name is followed: a portal that starts late
// or restarts gets the keys bound again, one that leaves unbinds them. The portal has no
// unbinding: a changed set is bound in a new session and the old one is closed.
class PortalHotKeys : public QObject, public HotKeys {
  Q_OBJECT
 public:
  // `describe` names the action of an id, for the portal's own list of shortcuts.
  PortalHotKeys(QDBusConnection bus, std::function<std::string(int id)> describe);
  ~PortalHotKeys() override;

  HotKeyOutcome RegisterHotKey(int id, uint32_t modifiers, uint32_t virtualKey) override;
  void UnregisterHotKey(int id) override;
  void SetHandler(Handler handler) override { handler_ = std::move(handler); }
  void SetOutcomeHandler(Outcome outcome) override { outcome_ = std::move(outcome); }

  // How long the keys wait for the portal's answer before they read as unregistered.
  static constexpr int kAnswerWaitMs = 3000;

 private Q_SLOTS:
  void RequestAnswered(const QDBusMessage& response);
  void ShortcutActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong timestamp,
                         const QVariantMap& options);
  void ShortcutsChanged(const QDBusMessage& signal);

 private:
  struct Combination {
    uint32_t modifiers, virtualKey;
    QString trigger;  // in the portal's notation, "CTRL+ALT+a"
    bool operator==(const Combination& o) const { return modifiers == o.modifiers && virtualKey == o.virtualKey; }
  };
  // What is known of the portal: asked (no answer yet), there, or not usable for a reason.
  enum class Portal { Unasked, Asking, Present, Unusable };
  enum class Step { None, CreatingSession, Binding };

  void PortalOwnerChanged(const QString& newOwner);
  void AskPortal();
  void PortalAnswered(const QDBusMessage& reply);
  void ScheduleBinding();
  void Bind();
  void SessionCreated(uint response, const QVariantMap& results);
  void ShortcutsBound(uint response, const QVariantMap& results);
  // The triggers the portal reports holding, for the bound ids among `shortcuts`.
  void TakeTriggers(const QList<PortalShortcut>& shortcuts);
  // Sends a portal request whose answer comes as a Response signal on its own object path;
  // `failed` runs with the reason when the call itself fails.
  void Request(const QString& method, const QList<QVariant>& arguments, const QString& token,
               std::function<void(const std::string&)> failed);
  void StopListening();
  void Abandon(const std::string& reason);  // the running attempt, and every key with it
  void CloseSession();
  void SettleWanted(const HotKeyOutcome& outcome);
  void SettleBound();
  void AnswerLate();

  QDBusConnection bus_;
  std::function<std::string(int)> describe_;
  QDBusServiceWatcher* watcher_ = nullptr;
  Portal portal_ = Portal::Unasked;
  std::string unusable_;  // why, when the portal is unusable
  std::map<int, Combination> wanted_, bound_;
  std::map<int, HotKeyOutcome> boundOutcome_;
  bool bindingScheduled_ = false;
  Step step_ = Step::None;
  unsigned attempt_ = 0;  // answers of an abandoned attempt are ignored
  QString session_, pendingRequest_;
  std::map<int, Combination> binding_;  // the set the running request binds
  unsigned requests_ = 0;
  QTimer answerWait_;
  Handler handler_;
  Outcome outcome_;
};

}  // namespace nv
