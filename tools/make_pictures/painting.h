#pragma once
#include <QImage>
#include <QPainter>
#include <QString>
#include <vector>

namespace nv::pictures {

struct Picture {
  QString name;  // the resource name the program asks for
  QImage image;
};

// Every JPEG picture of the program, at its size in the window times `scale` (2: for screens
// of two device pixels to each of the window's).
std::vector<Picture> AllPictures(double scale);

// The window and taskbar icon, `size` pixels square with transparency (64 inside the program);
// at 16 pixels drawn on the pixel grid rather than scaled down.
QImage ProgramIcon(int size = 64);

// The same icon painted on any device of `size` units square; `outlinedLetter` draws its
// letter as a path, for a scalable copy that must not depend on an installed font.
void PaintProgramIcon(QPainter& p, double size, bool outlinedLetter);

}  // namespace nv::pictures
