#pragma once
#include <QImage>
#include <string>

#include "monitor/tray_icon_model.h"

namespace nv {

// What the tray icon shows: the free-memory figure on a white box at the top and the three
// bars below it, over the template picture.
struct TrayIconFigures {
  std::string figure;
  TrayIconBars bars;
};

// The icon drawn for a square cell of `pixels` device pixels: the design's 16-pixel rows are
// scaled to the cell, and the figure is set at the largest size that fits the rows above the
// bars and the cell's width, so that it is never cut. Where a scalable face would come out
// too small to read, the digits are drawn from a 3 x 5 pixel font at the largest whole scale.
QImage DrawTrayIconPicture(const QImage& background, const TrayIconFigures& figures, int pixels);

// The same picture with every pixel of the template's colour (its bottom-left pixel) made
// transparent.
QImage WithTransparentTemplate(const QImage& picture);

}  // namespace nv
