#pragma once
#include <cstdint>
#include <optional>

namespace nv {

// The process the user is working in, so that a trim leaves its memory alone.
class FocusedWindow {
 public:
  virtual ~FocusedWindow() = default;
  // The pid of the process that owns the focused window; none when no window has the focus,
  // the window names no process, or the display does not tell (offscreen, Wayland).
  virtual std::optional<uint32_t> FocusedProcess() = 0;
};

// For displays that do not tell which window has the focus.
class NoFocusedWindowKnown : public FocusedWindow {
 public:
  std::optional<uint32_t> FocusedProcess() override { return std::nullopt; }
};

}  // namespace nv
