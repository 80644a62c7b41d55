#include "platform/linux/portal_hotkeys.h"

#include <xkbcommon/xkbcommon.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QList>
#include <QMetaObject>

#include "platform/linux/x11_keysyms.h"

namespace nv {

// One entry of the portal's shortcut lists, a(sa{sv}).
struct PortalShortcut {
  QString id;
  QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& shortcut) {
  out.beginStructure();
  out << shortcut.id << shortcut.properties;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& shortcut) {
  in.beginStructure();
  in >> shortcut.id >> shortcut.properties;
  in.endStructure();
  return in;
}

}  // namespace nv

Q_DECLARE_METATYPE(nv::PortalShortcut)

namespace nv {
namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");
// The portal itself answers at once; only the user's consent, if asked, takes time, and that
// comes through the Response signal.
constexpr int kCallTimeoutMs = 5000;

// The notation of the XDG shortcuts standard: modifiers, then the key's keysym name.
QString Trigger(uint32_t modifiers, uint32_t keysym) {
  QString trigger;
  if (modifiers & mod::Control) trigger += QLatin1String("CTRL+");
  if (modifiers & mod::Alt) trigger += QLatin1String("ALT+");
  if (modifiers & mod::Shift) trigger += QLatin1String("SHIFT+");
  if (modifiers & mod::Win) trigger += QLatin1String("LOGO+");
  char name[64];
  if (xkb_keysym_get_name(keysym, name, sizeof name) <= 0) return {};
  return trigger + QString::fromLatin1(name);
}

// A results entry may hold its value marshalled, as the portal sent it.
template <typename T>
T Demarshal(const QVariant& value) {
  if (value.canConvert<QDBusArgument>()) return qdbus_cast<T>(value.value<QDBusArgument>());
  return value.value<T>();
}

QString SessionHandle(const QVariant& value) {
  // The portal sends the handle as a string; older ones sent an object path.
  if (value.canConvert<QDBusObjectPath>() && value.userType() == qMetaTypeId<QDBusObjectPath>())
    return value.value<QDBusObjectPath>().path();
  return value.toString();
}

}  // namespace

PortalHotKeys::PortalHotKeys(QDBusConnection bus, std::function<std::string(int)> describe)
    : bus_(std::move(bus)), describe_(std::move(describe)) {
  qDBusRegisterMetaType<PortalShortcut>();
  qDBusRegisterMetaType<QList<PortalShortcut>>();
  // The slot's types are looked up by name, which finds QDBusObjectPath only once it has been
  // registered; without it the signal is silently never delivered.
  qRegisterMetaType<QDBusObjectPath>();
  bus_.connect(kPortalService, kPortalPath, kShortcutsInterface, QStringLiteral("Activated"), this,
               SLOT(ShortcutActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

PortalHotKeys::~PortalHotKeys() { CloseSession(); }

bool PortalHotKeys::PortalPresent() {
  // Asked again while the answer was no: a portal can start after the program.
  if (present_.value_or(false)) return true;
  if (!bus_.isConnected()) return false;
  QDBusMessage get = QDBusMessage::createMethodCall(kPortalService, kPortalPath,
                                                    QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get.setArguments({kShortcutsInterface, QStringLiteral("version")});
  present_ = bus_.call(get, QDBus::Block, kCallTimeoutMs).type() == QDBusMessage::ReplyMessage;
  return *present_;
}

bool PortalHotKeys::RegisterHotKey(int id, uint32_t modifiers, uint32_t virtualKey) {
  const uint32_t keysym = KeysymForVirtualKey(virtualKey);
  if (!keysym || (modifiers & ~uint32_t(mod::Alt | mod::Control | mod::Shift | mod::Win))) return false;
  const Combination combination{modifiers, virtualKey, Trigger(modifiers, keysym)};
  if (combination.trigger.isEmpty()) return false;
  for (const auto& [other, held] : wanted_)
    if (other != id && held == combination) return false;
  if (!PortalPresent()) return false;
  wanted_[id] = combination;
  ScheduleBinding();
  return false;  // the outcome follows once the portal answered
}

void PortalHotKeys::UnregisterHotKey(int id) {
  if (wanted_.erase(id)) ScheduleBinding();
}

void PortalHotKeys::ScheduleBinding() {
  if (bindingScheduled_) return;
  bindingScheduled_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        bindingScheduled_ = false;
        Bind();
      },
      Qt::QueuedConnection);
}

void PortalHotKeys::Bind() {
  if (step_ != Step::None) return;  // the answer of the running request binds again if needed
  if (!session_.isEmpty() && wanted_ == bound_) {
    Settle(boundOutcome_);  // released and registered again unchanged: still bound
    return;
  }
  CloseSession();
  if (wanted_.empty()) return;
  binding_ = wanted_;
  step_ = Step::CreatingSession;
  const QString token = QStringLiteral("norvane%1").arg(++requests_);
  const QVariantMap options{{QStringLiteral("handle_token"), token}, {QStringLiteral("session_handle_token"), token}};
  if (!Request(QStringLiteral("CreateSession"), {options}, token)) SessionCreated(2, {});
}

bool PortalHotKeys::Request(const QString& method, const QList<QVariant>& arguments, const QString& token) {
  // The answer can come before the call returns, so its path is watched first; the path is
  // the caller's unique name without its colon, dots as underscores, then the token.
  const QString sender = bus_.baseService().mid(1).replace(u'.', u'_');
  pendingRequest_ = kPortalPath + QStringLiteral("/request/") + sender + u'/' + token;
  bus_.connect(kPortalService, pendingRequest_, kRequestInterface, QStringLiteral("Response"), this,
               SLOT(RequestAnswered(QDBusMessage)));
  QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kShortcutsInterface, method);
  call.setArguments(arguments);
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
  if (reply.type() != QDBusMessage::ReplyMessage || handle.isEmpty()) {
    bus_.disconnect(kPortalService, pendingRequest_, kRequestInterface, QStringLiteral("Response"), this,
                    SLOT(RequestAnswered(QDBusMessage)));
    pendingRequest_.clear();
    return false;
  }
  if (handle != pendingRequest_) {
    // A portal that predates handle tokens answers on a path of its own choosing.
    bus_.disconnect(kPortalService, pendingRequest_, kRequestInterface, QStringLiteral("Response"), this,
                    SLOT(RequestAnswered(QDBusMessage)));
    pendingRequest_ = handle;
    bus_.connect(kPortalService, pendingRequest_, kRequestInterface, QStringLiteral("Response"), this,
                 SLOT(RequestAnswered(QDBusMessage)));
  }
  return true;
}

void PortalHotKeys::RequestAnswered(const QDBusMessage& response) {
  if (response.path() != pendingRequest_ || response.arguments().size() < 2) return;
  bus_.disconnect(kPortalService, pendingRequest_, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(RequestAnswered(QDBusMessage)));
  pendingRequest_.clear();
  const uint code = response.arguments().at(0).toUInt();
  const auto results = Demarshal<QVariantMap>(response.arguments().at(1));
  if (step_ == Step::CreatingSession)
    SessionCreated(code, results);
  else if (step_ == Step::Binding)
    ShortcutsBound(code, results);
}

void PortalHotKeys::SessionCreated(uint response, const QVariantMap& results) {
  session_ = response == 0 ? SessionHandle(results.value(QStringLiteral("session_handle"))) : QString();
  if (session_.isEmpty()) {
    ShortcutsBound(2, {});
    return;
  }
  QList<PortalShortcut> shortcuts;
  for (const auto& [id, combination] : binding_) {
    const QString description = QString::fromStdString(describe_ ? describe_(id) : std::string());
    shortcuts.append({QString::number(id),
                      {{QStringLiteral("description"), description.isEmpty() ? combination.trigger : description},
                       {QStringLiteral("preferred_trigger"), combination.trigger}}});
  }
  step_ = Step::Binding;
  const QString token = QStringLiteral("norvane%1").arg(++requests_);
  if (!Request(QStringLiteral("BindShortcuts"),
               {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString(),
                QVariantMap{{QStringLiteral("handle_token"), token}}},
               token))
    ShortcutsBound(2, {});
}

void PortalHotKeys::ShortcutsBound(uint response, const QVariantMap& results) {
  step_ = Step::None;
  std::map<int, bool> outcome;
  for (const auto& [id, combination] : binding_) outcome[id] = false;
  if (response == 0) {
    // A portal that lists what it bound may have left some out; one that lists nothing bound all.
    if (results.contains(QStringLiteral("shortcuts"))) {
      for (const PortalShortcut& s : Demarshal<QList<PortalShortcut>>(results.value(QStringLiteral("shortcuts")))) {
        bool isNumber = false;
        const int id = s.id.toInt(&isNumber);
        if (isNumber && outcome.count(id)) outcome[id] = true;
      }
    } else {
      for (auto& [id, bound] : outcome) bound = true;
    }
    bound_ = binding_;
    boundOutcome_ = outcome;
  } else {
    CloseSession();
  }
  Settle(outcome);
  if (wanted_ != binding_) ScheduleBinding();
}

void PortalHotKeys::CloseSession() {
  if (!session_.isEmpty() && bus_.isConnected())
    bus_.send(QDBusMessage::createMethodCall(kPortalService, session_, kSessionInterface, QStringLiteral("Close")));
  session_.clear();
  bound_.clear();
  boundOutcome_.clear();
}

void PortalHotKeys::Settle(const std::map<int, bool>& outcome) {
  for (const auto& [id, registered] : outcome) {
    // A combination changed meanwhile is settled by the binding that follows.
    const auto wanted = wanted_.find(id);
    const auto bound = binding_.find(id);
    if (outcome_ && wanted != wanted_.end() && bound != binding_.end() && wanted->second == bound->second)
      outcome_(id, registered);
  }
}

void PortalHotKeys::ShortcutActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong,
                                      const QVariantMap&) {
  if (session_.isEmpty() || session.path() != session_) return;
  bool isNumber = false;
  const auto bound = bound_.find(shortcutId.toInt(&isNumber));
  if (!isNumber || bound == bound_.end()) return;
  const uint32_t modifiers = bound->second.modifiers, virtualKey = bound->second.virtualKey;
  // Delivered like a posted message: the action may open message boxes or end the program.
  QMetaObject::invokeMethod(
      this, [this, modifiers, virtualKey] { if (handler_) handler_(modifiers, virtualKey); }, Qt::QueuedConnection);
}

}  // namespace nv
