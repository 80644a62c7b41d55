#pragma once
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/hotkeys.h"

class QDBusMessage;
class QDBusObjectPath;

namespace nv {

// Global hot keys on a Wayland session, where no client may grab keys: the desktop portal's
// GlobalShortcuts interface binds them for us. The portal answers later (it may first ask the
// user), so a registration returns false at once and reports its outcome through the outcome
// handler; the registrations made in one turn of the event loop are bound together. The portal
// has no unbinding: a changed set is bound in a new session and the old one is closed. A
// session bus without the portal, or a portal that refuses, leaves every combination
// unregistered.
class PortalHotKeys : public QObject, public HotKeys {
  Q_OBJECT
 public:
  // `describe` names the action of an id, for the portal's own list of shortcuts.
  PortalHotKeys(QDBusConnection bus, std::function<std::string(int id)> describe);
  ~PortalHotKeys() override;

  bool RegisterHotKey(int id, uint32_t modifiers, uint32_t virtualKey) override;
  void UnregisterHotKey(int id) override;
  void SetHandler(Handler handler) override { handler_ = std::move(handler); }
  void SetOutcomeHandler(Outcome outcome) override { outcome_ = std::move(outcome); }

 private Q_SLOTS:
  void RequestAnswered(const QDBusMessage& response);
  void ShortcutActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong timestamp,
                         const QVariantMap& options);

 private:
  struct Combination {
    uint32_t modifiers, virtualKey;
    QString trigger;  // in the portal's notation, "CTRL+ALT+a"
    bool operator==(const Combination& o) const { return modifiers == o.modifiers && virtualKey == o.virtualKey; }
  };
  enum class Step { None, CreatingSession, Binding };

  bool PortalPresent();
  void ScheduleBinding();
  void Bind();
  void SessionCreated(uint response, const QVariantMap& results);
  void ShortcutsBound(uint response, const QVariantMap& results);
  // Sends a portal request whose answer comes as a Response signal on its own object path.
  bool Request(const QString& method, const QList<QVariant>& arguments, const QString& token);
  void CloseSession();
  void Settle(const std::map<int, bool>& outcome);

  QDBusConnection bus_;
  std::function<std::string(int)> describe_;
  std::optional<bool> present_;
  std::map<int, Combination> wanted_, bound_;
  std::map<int, bool> boundOutcome_;
  bool bindingScheduled_ = false;
  Step step_ = Step::None;
  QString session_, pendingRequest_;
  std::map<int, Combination> binding_;  // the set the running request binds
  unsigned requests_ = 0;
  Handler handler_;
  Outcome outcome_;
};

}  // namespace nv
