#include "platform/linux/wayland_clipboard.h"

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

}  // namespace

bool ClearSelectionByDataControl() {
  // A connection of its own: it needs no surface and no focus, and leaves Qt's alone. Its
  // objects go with it at the disconnect.
  std::unique_ptr<wl_display, decltype(&wl_display_disconnect)> display(wl_display_connect(nullptr),
                                                                        &wl_display_disconnect);
  if (!display) return false;
  Globals g;
  wl_registry* registry = wl_display_get_registry(display.get());
  wl_registry_add_listener(registry, &kRegistryListener, &g);
  if (wl_display_roundtrip(display.get()) < 0 || !g.seat || !(g.ext || g.wlr)) return false;
  // The newer protocol where both are offered; a null source unsets the selection.
  if (g.ext) {
    ext_data_control_device_v1* device = ext_data_control_manager_v1_get_data_device(g.ext, g.seat);
    ext_data_control_device_v1_set_selection(device, nullptr);
    ext_data_control_device_v1_destroy(device);
  } else {
    zwlr_data_control_device_v1* device = zwlr_data_control_manager_v1_get_data_device(g.wlr, g.seat);
    zwlr_data_control_device_v1_set_selection(device, nullptr);
    zwlr_data_control_device_v1_destroy(device);
  }
  // The round trip returns once the compositor handled the requests, or failed on an error.
  return wl_display_roundtrip(display.get()) >= 0 && wl_display_get_error(display.get()) == 0;
}

Result<void> WaylandClipboard::Clean() {
  if (ClearSelectionByDataControl()) return {};
  if (!QGuiApplication::focusWindow())
    return Failure{"The compositor offers no data-control protocol and no window of this program has the focus"};
  // The primary selection is the user's, not ours.
  QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
  return {};
}

}  // namespace nv
