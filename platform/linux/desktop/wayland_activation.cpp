#include "platform/linux/desktop/wayland_activation.h"

#include <wayland-client.h>

#include <cstring>
#include <memory>

#include "xdg-activation-client-protocol.h"

namespace nv {
namespace {

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto& activation = *static_cast<xdg_activation_v1**>(data);
  if (!activation && std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
    activation = static_cast<xdg_activation_v1*>(wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}

void GlobalRemoved(void*, wl_registry*, uint32_t) {}

constexpr wl_registry_listener kRegistryListener{Global, GlobalRemoved};

void Done(void* data, xdg_activation_token_v1*, const char* token) { *static_cast<std::string*>(data) = token; }

constexpr xdg_activation_token_v1_listener kTokenListener{Done};

}  // namespace

std::string RequestActivationToken(const std::string& appId) {
  // Its objects go with the connection at the disconnect; a token outlives it.
  std::unique_ptr<wl_display, decltype(&wl_display_disconnect)> display(wl_display_connect(nullptr),
                                                                        &wl_display_disconnect);
  if (!display) return {};
  xdg_activation_v1* activation = nullptr;
  wl_registry_add_listener(wl_display_get_registry(display.get()), &kRegistryListener, &activation);
  if (wl_display_roundtrip(display.get()) < 0 || !activation) return {};
  std::string token;
  xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation);
  xdg_activation_token_v1_add_listener(request, &kTokenListener, &token);
  if (!appId.empty()) xdg_activation_token_v1_set_app_id(request, appId.c_str());
  xdg_activation_token_v1_commit(request);
  // The token comes in the compositor's answer to the commit, which this round trip awaits.
  if (wl_display_roundtrip(display.get()) < 0) return {};
  return token;
}

}  // namespace nv
