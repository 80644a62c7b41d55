#pragma once
#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <vector>

#include "platform/hotkeys.h"

struct xcb_connection_t;

namespace nv {

// Global hot keys as passive key grabs on the X root window. Every combination is grabbed with
// its NumLock and CapsLock variants, so that it works whatever the lock state. A grab another
// client holds is refused by the server, which makes the registration fail; so does a
// combination this program already holds under another id. Without an X11 connection (no
// display, offscreen, Wayland) every registration fails. It attaches to the QGuiApplication's
// display at first use, so it may be made before the application object.
class X11HotKeys : public HotKeys, private QAbstractNativeEventFilter {
 public:
  X11HotKeys();
  ~X11HotKeys() override;
  X11HotKeys(const X11HotKeys&) = delete;
  X11HotKeys& operator=(const X11HotKeys&) = delete;

  HotKeyOutcome RegisterHotKey(int id, uint32_t modifiers, uint32_t virtualKey) override;
  void UnregisterHotKey(int id) override;
  void SetHandler(Handler handler) override;

 private:
  struct Grab {
    int id;
    uint32_t modifiers, virtualKey;  // as registered
    uint16_t mask;                   // X modifier mask without the lock bits
    std::vector<uint8_t> keycodes;
  };
  struct ModifierMasks {
    uint16_t alt, win, numLock;
  };

  void Attach();
  void Regrab();
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
  ModifierMasks QueryModifierMasks() const;
  std::vector<uint8_t> KeycodesFor(uint32_t keysym) const;
  std::vector<uint16_t> LockVariants(uint16_t mask) const;
  void Ungrab(const Grab& grab) const;

  bool attached_ = false;
  xcb_connection_t* connection_ = nullptr;
  uint32_t root_ = 0;
  ModifierMasks masks_{};
  std::vector<Grab> grabs_;
  Handler handler_;
  QObject deliveries_;  // queued calls of the handler die with this object
};

}  // namespace nv
