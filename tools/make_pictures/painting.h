#pragma once
#include <QImage>
#include <QString>
#include <vector>

namespace nv::pictures {

struct Picture {
  QString name;  // the resource name the program asks for
  QImage image;
};

// Every JPEG picture of the program, at its size in the window.
std::vector<Picture> AllPictures();

// The window and taskbar icon, 64 x 64 with transparency.
QImage ProgramIcon();

}  // namespace nv::pictures
