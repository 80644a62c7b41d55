#pragma once
#include "platform/clipboard.h"

namespace nv {

// The clipboard of a Wayland session. A Wayland client may change the selection only while it
// has the keyboard focus, unless the compositor offers a data-control protocol
// (ext-data-control-v1, or zwlr_data_control_manager_v1 of wlroots-based compositors): through
// that the selection is unset at any time. Without it the selection is cleared through Qt
// while one of the program's windows has the focus, and otherwise it cannot be. Needs a
// QGuiApplication on Qt's wayland platform.
class WaylandClipboard : public Clipboard {
 public:
  Result<void> Clean() override;
};

// Unsets the selection of the first seat through a data-control protocol, over a connection
// of its own to the compositor named by WAYLAND_DISPLAY; false when the compositor offers no
// such protocol or cannot be reached.
bool ClearSelectionByDataControl();

}  // namespace nv
