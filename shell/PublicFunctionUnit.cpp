#include "shell/PublicFunctionUnit.h"

#include <turbojpeg.h>

#include <QFile>
#include <memory>

#include "platform/error.h"
#include "platform/shellexec.h"
#include "shell/widgets/TImageEx.h"

namespace {

// Resources are stored under upper-case names in a folder named after their type.
QString ResourcePath(const QString& name, const QString& type) {
  return QStringLiteral(":/%1/%2").arg(type.toUpper(), name.toUpper());
}

QImage DecodeJpeg(const QByteArray& bytes, const QString& name) {
  std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
  if (!decoder) throw nv::Error("JPEG decoder unavailable");
  auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  const auto size = static_cast<unsigned long>(bytes.size());
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(decoder.get(), data, size, &width, &height, &subsampling, &colorspace) != 0)
    throw nv::Error("JPEG error #" + std::string(tjGetErrorStr2(decoder.get())) + " in " + name.toStdString());
  QImage image(width, height, QImage::Format_RGB888);
  if (image.isNull()) throw nv::Error("Out of memory for picture " + name.toStdString());
  if (tjDecompress2(decoder.get(), data, size, image.bits(), width, int(image.bytesPerLine()), height, TJPF_RGB, 0) != 0 &&
      tjGetErrorCode(decoder.get()) == TJERR_FATAL)
    throw nv::Error("JPEG error #" + std::string(tjGetErrorStr2(decoder.get())) + " in " + name.toStdString());
  return image;
}

}  // namespace

QImage LoadResourcePicture(const QString& name, const QString& type) {
  QFile resource(ResourcePath(name, type));
  if (!resource.open(QIODevice::ReadOnly)) throw nv::Error("Resource " + name.toStdString() + " not found");
  return DecodeJpeg(resource.readAll(), name);
}

void LoadButtonPicture(TImageEx* sender, const QString& name, const QString& type) {
  const QImage picture = LoadResourcePicture(name, type);
  sender->clearPicture();
  sender->setPicture(picture);
  sender->pictureName = name;
}

void OpenUrl(nv::ShellExec& shell, const std::string& address) { shell.Open(address); }
