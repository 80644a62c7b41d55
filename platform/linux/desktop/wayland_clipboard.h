#pragma once
#include "platform/clipboard.h"

namespace nv {

// The clipboard of a Wayland session, whether Qt runs natively or through XWayland. A Wayland
// client may change the selection only while it has the keyboard focus, unless the compositor
// offers a data-control protocol (ext-data-control-v1, or zwlr_data_control_manager_v1 of
// wlroots-based compositors): through that the selection is unset at any time, and the
// compositor's answer tells whether it is empty now. Without it the selection is cleared
// through Qt while a native Wayland window of the program has the focus, and otherwise it
// cannot be. Needs a QGuiApplication.
class WaylandClipboard : public Clipboard {
 public:
  Result<void> Clean() override;
};

enum class DataControlAnswer {
  Cleared,      // the compositor reports the selection empty
  StillHeld,    // it reports something there still, or failed the request
  Unavailable,  // no compositor to reach, or none that offers data control
};

// Unsets the selection of the first seat through a data-control protocol, over a connection
// of its own to the compositor named by WAYLAND_DISPLAY.
DataControlAnswer ClearSelectionByDataControl();

}  // namespace nv
