#include "platform/linux/hotkeys/portal_hotkeys.h"

#include <xkbcommon/xkbcommon.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QList>
#include <QMetaObject>
#include <QWindow>

#include "platform/linux/hotkeys/x11_keysyms.h"

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
// D-Bus's own default: a portal started on demand may take long to answer its first call.
constexpr int kCallTimeoutMs = 25000;

const char kNoBus[] = "No session bus to reach the desktop portal";
const char kLeft[] = "The desktop portal left the session bus";

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

// Why a call to the portal came back without its answer, in the user's words.
std::string CallFailure(const QDBusMessage& reply) {
  const QString name = reply.errorName();
  if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
      name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
    return "No desktop portal runs on the session bus";
  if (name == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface") ||
      name == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
      name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
      name == QLatin1String("org.freedesktop.DBus.Error.UnknownProperty") ||
      name == QLatin1String("org.freedesktop.DBus.Error.InvalidArgs"))
    return "The desktop portal offers no global shortcuts";
  if (name == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
      name == QLatin1String("org.freedesktop.DBus.Error.Timeout"))
    return "The desktop portal did not answer";
  if (reply.type() == QDBusMessage::ErrorMessage)
    return "The desktop portal failed: " + (reply.errorMessage().isEmpty() ? name : reply.errorMessage()).toStdString();
  return "The desktop portal answered what it should not";
}

std::string Refusal(uint response) {
  return response == 1 ? "The shortcuts were declined in the desktop's dialog" : "The desktop portal refused the shortcuts";
}

// The window the portal's consent dialog belongs to, as the portal names windows. Only X11
// windows can be named here: a Wayland window needs a handle exported through xdg-foreign,
// which Qt does not offer, and an empty name lets the desktop place the dialog itself.
QString ParentWindow() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return {};
  for (QWindow* window : QGuiApplication::topLevelWindows())
    if (window->isVisible() && window->type() == Qt::Window)
      return QStringLiteral("x11:") + QString::number(window->winId(), 16);
  return {};
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
  bus_.connect(kPortalService, kPortalPath, kShortcutsInterface, QStringLiteral("ShortcutsChanged"), this,
               SLOT(ShortcutsChanged(QDBusMessage)));
  watcher_ = new QDBusServiceWatcher(kPortalService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) { PortalOwnerChanged(owner); });
  answerWait_.setSingleShot(true);
  answerWait_.setInterval(kAnswerWaitMs);
  connect(&answerWait_, &QTimer::timeout, this, [this] { AnswerLate(); });
}

PortalHotKeys::~PortalHotKeys() { CloseSession(); }

HotKeyOutcome PortalHotKeys::RegisterHotKey(int id, uint32_t modifiers, uint32_t virtualKey) {
  const uint32_t keysym = KeysymForVirtualKey(virtualKey);
  const Combination combination{modifiers, virtualKey, keysym ? Trigger(modifiers, keysym) : QString()};
  if (combination.trigger.isEmpty() || (modifiers & ~uint32_t(mod::Alt | mod::Control | mod::Shift | mod::Win)))
    return Failure{"The combination names no key the desktop portal knows"};
  for (const auto& [other, held] : wanted_)
    if (other != id && held == combination) return Failure{"Another hot key of this program has the combination"};
  wanted_[id] = combination;
  ScheduleBinding();
  if (!bus_.isConnected()) return Failure{kNoBus};
  if (portal_ == Portal::Unusable) return Failure{unusable_};
  // Released and registered again unchanged: the binding holds, as the next turn confirms.
  const auto bound = bound_.find(id);
  const auto outcome = boundOutcome_.find(id);
  if (step_ == Step::None && bound != bound_.end() && bound->second == combination && outcome != boundOutcome_.end())
    return outcome->second;
  return Failure{kHotKeyAnswerAwaited};
}

void PortalHotKeys::UnregisterHotKey(int id) {
  if (wanted_.erase(id)) ScheduleBinding();
}

void PortalHotKeys::PortalOwnerChanged(const QString& newOwner) {
  // The sessions of a portal that went are gone with it: nothing to close.
  ++attempt_;
  StopListening();
  step_ = Step::None;
  answerWait_.stop();
  session_.clear();
  bound_.clear();
  boundOutcome_.clear();
  if (newOwner.isEmpty()) {
    portal_ = Portal::Unusable;
    unusable_ = kLeft;
    SettleWanted(Failure{kLeft});
    return;
  }
  portal_ = Portal::Unasked;
  if (!wanted_.empty()) ScheduleBinding();
}

void PortalHotKeys::AskPortal() {
  portal_ = Portal::Asking;
  QDBusMessage get = QDBusMessage::createMethodCall(kPortalService, kPortalPath,
                                                    QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get.setArguments({kShortcutsInterface, QStringLiteral("version")});
  auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(get, kCallTimeoutMs), this);
  connect(call, &QDBusPendingCallWatcher::finished, this, [this, call, attempt = attempt_] {
    call->deleteLater();
    if (attempt == attempt_) PortalAnswered(call->reply());
  });
}

void PortalHotKeys::PortalAnswered(const QDBusMessage& reply) {
  if (reply.type() == QDBusMessage::ReplyMessage) {
    portal_ = Portal::Present;
    Bind();
    return;
  }
  portal_ = Portal::Unusable;
  unusable_ = CallFailure(reply);
  answerWait_.stop();
  SettleWanted(Failure{unusable_});
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
  if (!bus_.isConnected()) return SettleWanted(Failure{kNoBus});
  switch (portal_) {
    case Portal::Unasked:
      if (wanted_.empty()) return;
      answerWait_.start();
      return AskPortal();
    case Portal::Asking:
      return;  // its answer binds
    case Portal::Unusable:
      return SettleWanted(Failure{unusable_});
    case Portal::Present:
      break;
  }
  if (!session_.isEmpty() && wanted_ == bound_) return SettleBound();
  CloseSession();
  if (wanted_.empty()) return;
  binding_ = wanted_;
  step_ = Step::CreatingSession;
  answerWait_.start();
  const QString token = QStringLiteral("norvane%1").arg(++requests_);
  const QVariantMap options{{QStringLiteral("handle_token"), token}, {QStringLiteral("session_handle_token"), token}};
  Request(QStringLiteral("CreateSession"), {options}, token, [this](const std::string& reason) { Abandon(reason); });
}

void PortalHotKeys::Request(const QString& method, const QList<QVariant>& arguments, const QString& token,
                            std::function<void(const std::string&)> failed) {
  // The answer can come before the call returns, so its path is watched first; the path is
  // the caller's unique name without its colon, dots as underscores, then the token.
  const QString sender = bus_.baseService().mid(1).replace(u'.', u'_');
  const QString expected = kPortalPath + QStringLiteral("/request/") + sender + u'/' + token;
  pendingRequest_ = expected;
  bus_.connect(kPortalService, pendingRequest_, kRequestInterface, QStringLiteral("Response"), this,
               SLOT(RequestAnswered(QDBusMessage)));
  QDBusMessage message = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kShortcutsInterface, method);
  message.setArguments(arguments);
  auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(message, kCallTimeoutMs), this);
  connect(call, &QDBusPendingCallWatcher::finished, this,
          [this, call, expected, failed = std::move(failed), attempt = attempt_] {
            call->deleteLater();
            // Answered already through the expected path, or abandoned meanwhile.
            if (attempt != attempt_ || pendingRequest_ != expected) return;
            const QDBusMessage reply = call->reply();
            const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
            if (reply.type() != QDBusMessage::ReplyMessage || handle.isEmpty()) return failed(CallFailure(reply));
            if (handle == expected) return;
            // A portal that predates handle tokens answers on a path of its own choosing.
            StopListening();
            pendingRequest_ = handle;
            bus_.connect(kPortalService, pendingRequest_, kRequestInterface, QStringLiteral("Response"), this,
                         SLOT(RequestAnswered(QDBusMessage)));
          });
}

void PortalHotKeys::StopListening() {
  if (pendingRequest_.isEmpty()) return;
  bus_.disconnect(kPortalService, pendingRequest_, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(RequestAnswered(QDBusMessage)));
  pendingRequest_.clear();
}

void PortalHotKeys::RequestAnswered(const QDBusMessage& response) {
  if (response.path() != pendingRequest_ || response.arguments().size() < 2) return;
  StopListening();
  const uint code = response.arguments().at(0).toUInt();
  const auto results = Demarshal<QVariantMap>(response.arguments().at(1));
  if (step_ == Step::CreatingSession)
    SessionCreated(code, results);
  else if (step_ == Step::Binding)
    ShortcutsBound(code, results);
}

void PortalHotKeys::SessionCreated(uint response, const QVariantMap& results) {
  if (response != 0) return Abandon(Refusal(response));
  session_ = SessionHandle(results.value(QStringLiteral("session_handle")));
  if (session_.isEmpty()) return Abandon("The desktop portal opened no session");
  QList<PortalShortcut> shortcuts;
  for (const auto& [id, combination] : binding_) {
    const QString description = QString::fromStdString(describe_ ? describe_(id) : std::string());
    shortcuts.append({QString::number(id),
                      {{QStringLiteral("description"), description.isEmpty() ? combination.trigger : description},
                       {QStringLiteral("preferred_trigger"), combination.trigger}}});
  }
  step_ = Step::Binding;
  const QString token = QStringLiteral("norvane%1").arg(++requests_);
  Request(QStringLiteral("BindShortcuts"),
          {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), ParentWindow(),
           QVariantMap{{QStringLiteral("handle_token"), token}}},
          token, [this](const std::string& reason) { Abandon(reason); });
}

void PortalHotKeys::ShortcutsBound(uint response, const QVariantMap& results) {
  if (response != 0) return Abandon(Refusal(response));
  step_ = Step::None;
  answerWait_.stop();
  bound_ = binding_;
  boundOutcome_.clear();
  // A portal that lists what it bound may have left some out; one that lists nothing bound
  // all as asked.
  const bool listed = results.contains(QStringLiteral("shortcuts"));
  for (const auto& [id, combination] : binding_)
    boundOutcome_.insert_or_assign(id, listed ? HotKeyOutcome(Failure{"The desktop portal left this key out"})
                                              : HotKeyOutcome(HotKeyBinding{}));
  if (listed) TakeTriggers(Demarshal<QList<PortalShortcut>>(results.value(QStringLiteral("shortcuts"))));
  SettleBound();
  if (wanted_ != binding_) ScheduleBinding();
}

void PortalHotKeys::ShortcutsChanged(const QDBusMessage& signal) {
  const QList<QVariant> arguments = signal.arguments();
  if (session_.isEmpty() || arguments.size() < 2 || arguments.at(0).value<QDBusObjectPath>().path() != session_) return;
  TakeTriggers(Demarshal<QList<PortalShortcut>>(arguments.at(1)));
  SettleBound();
}

void PortalHotKeys::TakeTriggers(const QList<PortalShortcut>& shortcuts) {
  for (const PortalShortcut& s : shortcuts) {
    bool isNumber = false;
    const auto bound = bound_.find(s.id.toInt(&isNumber));
    if (!isNumber || bound == bound_.end()) continue;
    // The trigger asked for is shown in the program's own words; another in the portal's.
    const QString trigger = s.properties.value(QStringLiteral("trigger_description")).toString();
    const bool asked = trigger.isEmpty() || trigger.compare(bound->second.trigger, Qt::CaseInsensitive) == 0;
    boundOutcome_.insert_or_assign(bound->first, HotKeyBinding{asked ? std::string() : trigger.toStdString()});
  }
}

void PortalHotKeys::Abandon(const std::string& reason) {
  ++attempt_;
  StopListening();
  step_ = Step::None;
  answerWait_.stop();
  CloseSession();
  SettleWanted(Failure{reason});
  if (wanted_ != binding_) ScheduleBinding();
}

void PortalHotKeys::AnswerLate() {
  if (portal_ == Portal::Asking || step_ != Step::None)
    SettleWanted(Failure{"The desktop portal has not answered yet; the keys are bound when it does"});
}

void PortalHotKeys::CloseSession() {
  if (!session_.isEmpty() && bus_.isConnected())
    bus_.send(QDBusMessage::createMethodCall(kPortalService, session_, kSessionInterface, QStringLiteral("Close")));
  session_.clear();
  bound_.clear();
  boundOutcome_.clear();
}

void PortalHotKeys::SettleWanted(const HotKeyOutcome& outcome) {
  if (!outcome_) return;
  for (const auto& [id, combination] : wanted_) outcome_(id, outcome);
}

void PortalHotKeys::SettleBound() {
  if (!outcome_) return;
  // A combination changed meanwhile is settled by the binding that follows.
  for (const auto& [id, outcome] : boundOutcome_) {
    const auto wanted = wanted_.find(id);
    if (wanted != wanted_.end() && wanted->second == bound_.at(id)) outcome_(id, outcome);
  }
}

void PortalHotKeys::ShortcutActivated(const QDBusObjectPath& session, const QString& shortcutId, qulonglong,
                                      const QVariantMap& options) {
  if (session_.isEmpty() || session.path() != session_) return;
  bool isNumber = false;
  const auto bound = bound_.find(shortcutId.toInt(&isNumber));
  if (!isNumber || bound == bound_.end()) return;
  const uint32_t modifiers = bound->second.modifiers, virtualKey = bound->second.virtualKey;
  // The token lets a window the action shows take the focus (Qt's Wayland windows take it
  // from the environment when they ask for activation); it is good for this one action only.
  const QByteArray token = options.value(QStringLiteral("activation_token")).toString().toUtf8();
  // Delivered like a posted message: the action may open message boxes or end the program.
  QMetaObject::invokeMethod(
      this,
      [this, modifiers, virtualKey, token] {
        if (!token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token);
        if (handler_) handler_(modifiers, virtualKey);
        if (!token.isEmpty()) qunsetenv("XDG_ACTIVATION_TOKEN");
      },
      Qt::QueuedConnection);
}

}  // namespace nv
