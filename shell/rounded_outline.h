#pragma once
#include <QRegion>

class QWidget;

namespace nv {

// The outline of a window as a rounded rectangle from (0, 0) to (right, bottom) with corner
// ellipses of `ellipse` pixels across. X shape masks are not antialiased, so the edge is the
// polygon of the rounded path.
QRegion RoundRectRegion(int right, int bottom, int ellipse);

// Gives the top-level `window` its rounded outline: the rounded rectangle that reaches two
// pixels beyond its client area at the right and the bottom, with corner ellipses of `ellipse`
// pixels across. X11 cuts the window to the shape; a Wayland window has no shape, so there the
// window gets a translucent background and whatever is painted outside the outline is cleared
// again, leaving the same corners. Call once, before the window is first shown.
void ApplyRoundedOutline(QWidget& window, int ellipse);

}  // namespace nv
