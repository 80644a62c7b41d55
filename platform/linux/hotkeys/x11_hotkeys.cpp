#include "platform/linux/hotkeys/x11_hotkeys.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/linux/hotkeys/x11_keysyms.h"

namespace nv {
namespace {

constexpr uint32_t XK_Num_Lock = 0xFF7F, XK_Alt_L = 0xFFE9, XK_Alt_R = 0xFFEA, XK_Super_L = 0xFFEB,
                   XK_Super_R = 0xFFEC;
// Pointer-button bits and the group bits of XKB never take part in a combination.
constexpr uint16_t kKeyboardModifiers = 0xFF;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* X11Connection() {
  // Offscreen Qt still hands out an X11 interface, but without a connection.
  if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

uint32_t RootWindow(xcb_connection_t* connection) {
  int display = 0, screen = 0;
  char* host = nullptr;
  if (xcb_parse_display(nullptr, &host, &display, &screen))
    std::free(host);
  else
    screen = 0;
  auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (; roots.rem && screen > 0; --screen) xcb_screen_next(&roots);
  return roots.rem ? roots.data->root : 0;
}

}  // namespace

X11HotKeys::X11HotKeys() = default;

X11HotKeys::~X11HotKeys() {
  // Qt's connection closes with the application, and the server then drops its grabs.
  if (!connection_ || !QCoreApplication::instance()) return;
  QCoreApplication::instance()->removeNativeEventFilter(this);
  for (const auto& grab : grabs_) Ungrab(grab);
  xcb_flush(connection_);
}

void X11HotKeys::Attach() {
  if (attached_ || !QCoreApplication::instance()) return;
  attached_ = true;
  connection_ = X11Connection();
  if (connection_) root_ = RootWindow(connection_);
  if (!root_) connection_ = nullptr;
  if (connection_) QCoreApplication::instance()->installNativeEventFilter(this);
}

void X11HotKeys::SetHandler(Handler handler) {
  Attach();
  handler_ = std::move(handler);
}

HotKeyOutcome X11HotKeys::RegisterHotKey(int id, uint32_t modifiers, uint32_t virtualKey) {
  Attach();
  if (!connection_) return Failure{"No X display to take the keys from"};
  // A punctuation key is the key at its place, whatever the layout prints on it, as it was
  // when the combination was captured; other keys are found by their keysym.
  const uint32_t placed = PunctuationKeycodeOfVirtualKey(virtualKey);
  const uint32_t keysym = KeysymForVirtualKey(virtualKey);
  if ((!placed && !keysym) || (modifiers & ~uint32_t(mod::Alt | mod::Control | mod::Shift | mod::Win)))
    return Failure{"The combination names no key of this keyboard"};

  masks_ = QueryModifierMasks();
  Grab grab{id, modifiers, virtualKey, 0, placed ? std::vector<uint8_t>{uint8_t(placed)} : KeycodesFor(keysym)};
  if (grab.keycodes.empty()) return Failure{"The key is not on this keyboard"};
  if (modifiers & mod::Shift) grab.mask |= XCB_MOD_MASK_SHIFT;
  if (modifiers & mod::Control) grab.mask |= XCB_MOD_MASK_CONTROL;
  if (modifiers & mod::Alt) grab.mask |= masks_.alt;
  if (modifiers & mod::Win) grab.mask |= masks_.win;
  // The server lets a client grab what it already holds, so a combination this program holds
  // under another id is refused here; compared as the server sees it, since two records can
  // name one key (Alt and Win on one modifier, say).
  for (const auto& held : grabs_)
    if (held.mask == grab.mask && std::find_first_of(held.keycodes.begin(), held.keycodes.end(), grab.keycodes.begin(),
                                                     grab.keycodes.end()) != held.keycodes.end())
      return Failure{"Another hot key of this program has the combination"};

  std::vector<xcb_void_cookie_t> cookies;
  for (uint8_t keycode : grab.keycodes)
    for (uint16_t mask : LockVariants(grab.mask))
      cookies.push_back(xcb_grab_key_checked(connection_, 1, root_, mask, keycode, XCB_GRAB_MODE_ASYNC,
                                             XCB_GRAB_MODE_ASYNC));
  // BadAccess when another client holds a variant; any error leaves the combination unusable.
  bool refused = false;
  for (auto cookie : cookies) {
    if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
      refused = true;
      std::free(error);
    }
  }
  if (refused) {
    // Ungrabbing variants another client holds does not touch that client's grabs.
    Ungrab(grab);
    xcb_flush(connection_);
    return Failure{"Another program holds the combination"};
  }
  grabs_.push_back(std::move(grab));
  return HotKeyBinding{};
}

void X11HotKeys::UnregisterHotKey(int id) {
  if (!connection_) return;
  auto released = std::stable_partition(grabs_.begin(), grabs_.end(), [id](const Grab& g) { return g.id != id; });
  for (auto it = released; it != grabs_.end(); ++it) Ungrab(*it);
  grabs_.erase(released, grabs_.end());
  // A round trip, so that the combination is free for other clients once this returns: requests
  // of different connections are not ordered by the server.
  std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void X11HotKeys::Ungrab(const Grab& grab) const {
  for (uint8_t keycode : grab.keycodes)
    for (uint16_t mask : LockVariants(grab.mask)) xcb_ungrab_key(connection_, keycode, root_, mask);
}

std::vector<uint16_t> X11HotKeys::LockVariants(uint16_t mask) const {
  std::vector<uint16_t> variants{mask, uint16_t(mask | XCB_MOD_MASK_LOCK)};
  if (masks_.numLock) {
    variants.push_back(mask | masks_.numLock);
    variants.push_back(mask | masks_.numLock | XCB_MOD_MASK_LOCK);
  }
  return variants;
}

std::vector<uint8_t> X11HotKeys::KeycodesFor(uint32_t keysym) const {
  std::vector<uint8_t> keycodes;
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
  if (!symbols) return keycodes;
  if (xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols, keysym)) {
    for (xcb_keycode_t* k = found; *k != XCB_NO_SYMBOL; ++k) keycodes.push_back(*k);
    std::free(found);
  }
  xcb_key_symbols_free(symbols);
  return keycodes;
}

X11HotKeys::ModifierMasks X11HotKeys::QueryModifierMasks() const {
  // The usual assignment, for servers whose modifier map names none of these keys.
  ModifierMasks masks{XCB_MOD_MASK_1, XCB_MOD_MASK_4, XCB_MOD_MASK_2};
  Reply<xcb_get_modifier_mapping_reply_t> reply(
      xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr), &std::free);
  if (!reply) return masks;
  const auto numLock = KeycodesFor(XK_Num_Lock);
  auto alt = KeycodesFor(XK_Alt_L), altR = KeycodesFor(XK_Alt_R);
  auto win = KeycodesFor(XK_Super_L), winR = KeycodesFor(XK_Super_R);
  alt.insert(alt.end(), altR.begin(), altR.end());
  win.insert(win.end(), winR.begin(), winR.end());
  auto holds = [](const std::vector<uint8_t>& keys, uint8_t k) { return std::find(keys.begin(), keys.end(), k) != keys.end(); };

  const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply.get());
  const int perModifier = reply->keycodes_per_modifier;
  ModifierMasks found{0, 0, 0};
  for (int modifier = 3; modifier < 8; ++modifier) {  // Mod1 .. Mod5
    for (int i = 0; i < perModifier; ++i) {
      const uint8_t keycode = map[modifier * perModifier + i];
      if (!keycode) continue;
      const auto bit = static_cast<uint16_t>(1u << modifier);
      if (holds(alt, keycode)) found.alt |= bit;
      if (holds(win, keycode)) found.win |= bit;
      if (holds(numLock, keycode)) found.numLock |= bit;
    }
  }
  if (found.alt) masks.alt = found.alt;
  if (found.win) masks.win = found.win;
  if (found.numLock) masks.numLock = found.numLock;
  return masks;
}

// A new keyboard layout can put a key on another keycode, as Windows' virtual keys follow the
// layout; the grabs are taken again for the keys as they now lie.
void X11HotKeys::Regrab() {
  auto previous = std::move(grabs_);
  grabs_.clear();
  for (const auto& grab : previous) Ungrab(grab);
  // A key the new layout lacks stays released until the combination is registered again.
  for (const auto& grab : previous) static_cast<void>(RegisterHotKey(grab.id, grab.modifiers, grab.virtualKey));
  xcb_flush(connection_);
}

bool X11HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  auto* event = static_cast<xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) == XCB_MAPPING_NOTIFY) {
    // Qt updates its own keymap from the same event, so it is passed on.
    if (reinterpret_cast<xcb_mapping_notify_event_t*>(event)->request != XCB_MAPPING_POINTER && !grabs_.empty())
      QMetaObject::invokeMethod(&deliveries_, [this] { Regrab(); }, Qt::QueuedConnection);
    return false;
  }
  if ((event->response_type & 0x7F) != XCB_KEY_PRESS) return false;
  auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
  if (press->event != root_) return false;
  const uint16_t lockBits = XCB_MOD_MASK_LOCK | masks_.numLock;
  const uint16_t held = press->state & kKeyboardModifiers & ~lockBits;
  for (const auto& grab : grabs_) {
    if (grab.mask != held || std::find(grab.keycodes.begin(), grab.keycodes.end(), press->detail) == grab.keycodes.end())
      continue;
    // Delivered like a posted message: the action may open message boxes or end the program,
    // which must not happen inside the filter.
    const uint32_t modifiers = grab.modifiers, virtualKey = grab.virtualKey;
    QMetaObject::invokeMethod(
        &deliveries_, [this, modifiers, virtualKey] { if (handler_) handler_(modifiers, virtualKey); },
        Qt::QueuedConnection);
    return true;
  }
  return false;
}

}  // namespace nv
