#pragma once
#include <optional>
#include <string>

namespace nv {

// Qt aborts when the platform plugin it picks cannot be loaded, and its Wayland plugin is a
// package of its own (qt6-wayland). Where Qt would pick Wayland and an X display is there too,
// the program names X11 after it in Qt's list of platforms, so that it runs through XWayland
// rather than not at all.
class PlatformFallback {
 public:
  // Before the QApplication is made: sets the list when it applies.
  PlatformFallback();
  // Once the QApplication is made: when X11 was taken, says so on stderr, once, with the
  // reason; and gives back QT_QPA_PLATFORM as it was, so that programs started later (the
  // browser, the updater) choose for themselves.
  void Settle();

 private:
  bool listed_ = false;
  std::optional<std::string> original_;
  std::string display_;
};

}  // namespace nv
