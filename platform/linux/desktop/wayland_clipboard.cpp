#include "platform/linux/desktop/wayland_clipboard.h"

#include <wayland-client.h>

#include <QClipboard>
#include <QGuiApplication>
#include <cstring>
#include <memory>

#include "data-control-client-protocol.h"

namespace nv {
namespace {

struct Globals {
  wl_seat* seat = nullptr;
  ext_data_control_manager_v1* ext = nullptr;
  zwlr_data_control_manager_v1* wlr = nullptr;
};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto& g = *static_cast<Globals*>(data);
  if (!g.seat && std::strcmp(interface, wl_seat_interface.name) == 0)
    g.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  else if (!g.ext && std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0)
    g.ext = static_cast<ext_data_control_manager_v1*>(
        wl_registry_bind(registry, name, &ext_data_control_manager_v1_interface, 1));
  else if (!g.wlr && std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0)
    g.wlr = static_cast<zwlr_data_control_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
}

void GlobalRemoved(void*, wl_registry*, uint32_t) {}

constexpr wl_registry_listener kRegistryListener{Global, GlobalRemoved};

// What the compositor last said the seat's selection is: it says so when the device is made,
// and again whenever the selection changes, our own change included.
struct Selection {
  bool told = false;
  bool empty = false;
};

template <typename Device, typename Offer>
void OfferMade(void*, Device*, Offer*) {}  // its mime types are of no interest; it goes with the connection

template <typename Device, typename Offer>
void SelectionTold(void* data, Device*, Offer* offer) {
  auto& selection = *static_cast<Selection*>(data);
  selection.told = true;
  selection.empty = offer == nullptr;
}

template <typename Device>
void Finished(void*, Device*) {}

constexpr ext_data_control_device_v1_listener kExtListener{
    OfferMade<ext_data_control_device_v1, ext_data_control_offer_v1>,
    SelectionTold<ext_data_control_device_v1, ext_data_control_offer_v1>, Finished<ext_data_control_device_v1>,
    OfferMade<ext_data_control_device_v1, ext_data_control_offer_v1>};
constexpr zwlr_data_control_device_v1_listener kWlrListener{
    OfferMade<zwlr_data_control_device_v1, zwlr_data_control_offer_v1>,
    SelectionTold<zwlr_data_control_device_v1, zwlr_data_control_offer_v1>, Finished<zwlr_data_control_device_v1>};

}  // namespace

DataControlAnswer ClearSelectionByDataControl() {
  // A connection of its own: it needs no surface and no focus, and leaves Qt's alone. Its
  // objects go with it at the disconnect.
  std::unique_ptr<wl_display, decltype(&wl_display_disconnect)> display(wl_display_connect(nullptr),
                                                                        &wl_display_disconnect);
  if (!display) return DataControlAnswer::Unavailable;
  Globals g;
  wl_registry* registry = wl_display_get_registry(display.get());
  wl_registry_add_listener(registry, &kRegistryListener, &g);
  if (wl_display_roundtrip(display.get()) < 0 || !g.seat || !(g.ext || g.wlr)) return DataControlAnswer::Unavailable;
  // The newer protocol where both are offered; a null source unsets the selection. The round
  // trips return once the compositor told the selection as it was, then as it is after the
  // request (or failed on an error).
  Selection selection;
  if (g.ext) {
    ext_data_control_device_v1* device = ext_data_control_manager_v1_get_data_device(g.ext, g.seat);
    ext_data_control_device_v1_add_listener(device, &kExtListener, &selection);
    if (wl_display_roundtrip(display.get()) < 0) return DataControlAnswer::StillHeld;
    ext_data_control_device_v1_set_selection(device, nullptr);
  } else {
    zwlr_data_control_device_v1* device = zwlr_data_control_manager_v1_get_data_device(g.wlr, g.seat);
    zwlr_data_control_device_v1_add_listener(device, &kWlrListener, &selection);
    if (wl_display_roundtrip(display.get()) < 0) return DataControlAnswer::StillHeld;
    zwlr_data_control_device_v1_set_selection(device, nullptr);
  }
  const bool answered = wl_display_roundtrip(display.get()) >= 0 && wl_display_get_error(display.get()) == 0;
  return answered && selection.told && selection.empty ? DataControlAnswer::Cleared : DataControlAnswer::StillHeld;
}

Result<void> WaylandClipboard::Clean() {
  switch (ClearSelectionByDataControl()) {
    case DataControlAnswer::Cleared:
      return {};
    case DataControlAnswer::StillHeld:
      return Failure{"The compositor still reports something on the clipboard after it was told to clear it"};
    case DataControlAnswer::Unavailable:
      break;
  }
  // Qt's clipboard is the session's only for a native Wayland window that has the focus;
  // through XWayland it is the X server's, which Wayland programs do not read.
  if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
    return Failure{"The compositor offers no data-control protocol, through which alone this program can clear the clipboard"};
  if (!QGuiApplication::focusWindow())
    return Failure{"The compositor offers no data-control protocol and no window of this program has the focus"};
  // The primary selection is the user's, not ours.
  QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
  return {};
}

}  // namespace nv
