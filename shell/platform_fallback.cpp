#include "shell/platform_fallback.h"

#include <QGuiApplication>
#include <cstdlib>

#include "platform/log.h"

namespace nv {

namespace {

std::optional<std::string> Variable(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

PlatformFallback::PlatformFallback() : original_(Variable("QT_QPA_PLATFORM")) {
  const bool waylandSession = Variable("WAYLAND_DISPLAY") || Variable("XDG_SESSION_TYPE") == "wayland";
  // An explicit choice other than Wayland alone (xcb, offscreen, a list) is the user's to keep.
  const bool waylandChosen = original_ ? original_->rfind("wayland", 0) == 0 && original_->find(';') == std::string::npos
                                       : waylandSession;
  const auto display = Variable("DISPLAY");
  if (!waylandChosen || !display) return;
  display_ = *display;
  ::setenv("QT_QPA_PLATFORM", (original_.value_or("wayland") + ";xcb").c_str(), 1);
  listed_ = true;
}

void PlatformFallback::Settle() {
  if (!listed_) return;
  if (original_) ::setenv("QT_QPA_PLATFORM", original_->c_str(), 1);
  else ::unsetenv("QT_QPA_PLATFORM");
  if (QGuiApplication::platformName() == QLatin1String("xcb"))
    Log(LogLevel::Warning, "Qt could not start its Wayland platform (its plugin, of the package qt6-wayland, is "
                           "missing, or no compositor answers at WAYLAND_DISPLAY), so Norvane runs through "
                           "XWayland on the X display " + display_);
}

}  // namespace nv
