#include "shell/PublicFunctionUnit.h"

#include <QFile>
#include <QGuiApplication>

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/shellexec.h"
#include "shell/jpeg_decoder.h"
#include "shell/widgets/TImageEx.h"

namespace {

// Resources are stored under upper-case names in a folder named after their type.
QString ResourcePath(const QString& name, const QString& type) {
  return QStringLiteral(":/%1/%2").arg(type.toUpper(), name.toUpper());
}

}  // namespace

QImage LoadResourcePicture(const QString& name, const QString& type) {
  // The picture drawn at twice the size where the screen has more than one device pixel to each
  // of the window's: at 2 it is drawn as it is, at 1.5 scaled down, which keeps it sharper than
  // the small one scaled up.
  const double ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
  if (ratio > 1.0) {
    QFile large(ResourcePath(name + QStringLiteral("@2x"), type));
    if (large.open(QIODevice::ReadOnly)) {
      QImage picture = nv::JpegDecoderHold().Decode(large.readAll(), name);
      picture.setDevicePixelRatio(2.0);
      return picture;
    }
  }
  QFile resource(ResourcePath(name, type));
  if (!resource.open(QIODevice::ReadOnly)) throw nv::Error("Resource " + name.toStdString() + " not found");
  return nv::JpegDecoderHold().Decode(resource.readAll(), name);
}

void LoadButtonPicture(TImageEx* sender, const QString& name, const QString& type) {
  const QImage picture = LoadResourcePicture(name, type);
  sender->clearPicture();
  sender->setPicture(picture);
  sender->pictureName = name;
}

void OpenUrl(nv::ShellExec& shell, nv::Dialogs& dialogs, const std::string& address) {
  if (const auto opened = shell.Open(address); !opened) dialogs.ShowError(opened.error().reason);
}
