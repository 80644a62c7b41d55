// Draws every picture of the program's look and writes them as JPEG files (each at its size in
// the window and at twice that size), together with the resource collection file that compiles
// them into the program, and the program's icon for the desktop's icon theme (PNG at each size
// a menu or panel asks for, and SVG):
//   make_pictures <resources folder>
#include <turbojpeg.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSvgGenerator>
#include <QTextStream>
#include <cstdio>
#include <vector>

#include "tools/make_pictures/painting.h"

namespace {

bool WriteJpeg(const QImage& picture, const QString& path) {
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  tjhandle encoder = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const bool ok = tjCompress2(encoder, rgb.constBits(), rgb.width(), int(rgb.bytesPerLine()), rgb.height(), TJPF_RGB,
                              &jpeg, &size, TJSAMP_444, 94, TJFLAG_ACCURATEDCT) == 0;
  tjDestroy(encoder);
  if (!ok) return false;
  QFile out(path);
  const bool written = out.open(QIODevice::WriteOnly) && out.write(reinterpret_cast<char*>(jpeg), qint64(size)) == qint64(size);
  tjFree(jpeg);
  return written;
}

// The icon as the hicolor theme holds it: icons/hicolor/<size>/apps/velqor-norvane.<png|svg>.
bool WriteThemeIcons(const QDir& root) {
  const QString name = QStringLiteral("velqor-norvane");
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("icons/hicolor/%1x%1/apps").arg(size);
    if (!root.mkpath(folder) || !nv::pictures::ProgramIcon(size).save(root.filePath(folder + "/" + name + ".png")))
      return false;
  }
  const QString folder = QStringLiteral("icons/hicolor/scalable/apps");
  if (!root.mkpath(folder)) return false;
  QSvgGenerator svg;
  svg.setFileName(root.filePath(folder + "/" + name + ".svg"));
  svg.setSize(QSize(64, 64));
  svg.setViewBox(QRect(0, 0, 64, 64));
  svg.setTitle(QStringLiteral("Velqor Norvane"));
  QPainter p;
  if (!p.begin(&svg)) return false;
  nv::pictures::PaintProgramIcon(p, 64, true);
  return p.end();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pictures <resources folder>\n");
    return 2;
  }
  const QDir root(QString::fromLocal8Bit(argv[1]));
  root.mkpath(QStringLiteral("pictures"));

  QFile qrc(root.filePath(QStringLiteral("norvane.qrc")));
  if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
  QTextStream list(&qrc);
  list << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
  // Each picture also drawn at twice the size, named "<name>@2x", for screens scaled by 2 (and
  // by 1.5, where it is scaled down rather than up).
  for (const QString& suffix : {QString(), QStringLiteral("@2x")}) {
    for (const nv::pictures::Picture& p : nv::pictures::AllPictures(suffix.isEmpty() ? 1 : 2)) {
      const QString file = QStringLiteral("pictures/%1%2.jpg").arg(p.name, suffix);
      if (!WriteJpeg(p.image, root.filePath(file))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
      }
      list << "  <file alias=\"JPG/" << (p.name + suffix).toUpper() << "\">" << file << "</file>\n";
    }
  }
  const QString icon = QStringLiteral("pictures/norvane.png");
  if (!nv::pictures::ProgramIcon().save(root.filePath(icon))) return 1;
  list << "  <file alias=\"ICON/NORVANE\">" << icon << "</file>\n";
  list << "</qresource>\n</RCC>\n";
  if (!WriteThemeIcons(root)) {
    std::fprintf(stderr, "cannot write the theme icons\n");
    return 1;
  }
  return 0;
}
