#pragma once
#include <QImage>
#include <QString>
#include <string>

class TImageEx;
namespace nv {
class Dialogs;
class ShellExec;
}

// Decodes the JPEG picture stored in the program's resources under `name` and `type`; names
// compare without regard to case. On a screen scaled beyond 1 it is the copy drawn at twice the
// size ("<name>@2x"), with that device pixel ratio. Throws nv::Error when there is no such
// resource or it is no JPEG picture.
QImage LoadResourcePicture(const QString& name, const QString& type = QStringLiteral("JPG"));

// Gives the control the named picture and records its name. The picture is read and decoded
// before the old one is cleared, so a failure leaves the control as it was.
void LoadButtonPicture(TImageEx* sender, const QString& name, const QString& type = QStringLiteral("JPG"));

// Opens a web address, a mail address or a document with the user's program for it; the error
// dialog says so when there is none.
void OpenUrl(nv::ShellExec& shell, nv::Dialogs& dialogs, const std::string& address);
