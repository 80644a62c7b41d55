#pragma once
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdint>
#include <cstdlib>

namespace nv::test {

// Another X client, asking the server for key grabs on the root window: a grab refused with
// BadAccess means some client already holds that combination.
class X11GrabProbe {
 public:
  X11GrabProbe() : connection_(xcb_connect(nullptr, nullptr)) {
    if (!xcb_connection_has_error(connection_)) root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~X11GrabProbe() { xcb_disconnect(connection_); }
  X11GrabProbe(const X11GrabProbe&) = delete;
  X11GrabProbe& operator=(const X11GrabProbe&) = delete;

  bool Connected() const { return root_ != 0; }

  // Grabs the keysym with exactly this X modifier mask; false when the server refuses.
  bool Grab(uint32_t keysym, uint16_t mask) {
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    bool granted = codes && *codes != XCB_NO_SYMBOL;
    for (xcb_keycode_t* k = codes; granted && *k != XCB_NO_SYMBOL; ++k) {
      auto cookie = xcb_grab_key_checked(connection_, 1, root_, mask, *k, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
      if (auto* error = xcb_request_check(connection_, cookie)) {
        granted = false;
        std::free(error);
      }
    }
    std::free(codes);
    xcb_key_symbols_free(symbols);
    return granted;
  }

  // Whether another client holds the combination: asks for it and gives it back at once.
  bool HeldElsewhere(uint32_t keysym, uint16_t mask) {
    const bool granted = Grab(keysym, mask);
    UngrabAll();
    return !granted;
  }

  void UngrabAll() {
    xcb_ungrab_key(connection_, XCB_GRAB_ANY, root_, XCB_MOD_MASK_ANY);
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  }

 private:
  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
};

}  // namespace nv::test
