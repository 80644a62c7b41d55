#pragma once
#include <QRegion>

class QWidget;

namespace nv {

// Gives the top-level `window` its rounded `outline`. X11 cuts the window to the shape; a
// Wayland window has no shape, so there (`drawCorners`) the window gets a translucent
// background and whatever is painted outside the outline is cleared again, leaving the same
// corners. Call before the window is first shown.
void ApplyRoundedOutline(QWidget& window, const QRegion& outline, bool drawCorners);

}  // namespace nv
