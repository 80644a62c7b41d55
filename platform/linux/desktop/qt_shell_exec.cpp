#include "platform/linux/desktop/qt_shell_exec.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <filesystem>
#include <system_error>

namespace nv {

namespace {

// A path on disk becomes a file URL; anything carrying a scheme (http:, https:, mailto:,
// file:) is taken as the address it already is.
QUrl TargetUrl(const std::string& target) {
  const QString text = QString::fromStdString(target);
  if (text.startsWith('/')) return QUrl::fromLocalFile(text);
  const QUrl url(text, QUrl::StrictMode);
  if (url.isValid() && !url.scheme().isEmpty()) return url;
  return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
}

}  // namespace

Result<void> QtShellExec::Open(const std::string& target) {
  if (!QDesktopServices::openUrl(TargetUrl(target)))
    return Failure{"No program of this desktop could open " + target};
  return {};
}

Result<void> QtShellExec::StartProgram(const std::string& path) {
  if (!QProcess::startDetached(QString::fromStdString(path), {}))
    return Failure{path + " could not be started (missing, not executable, or not a program)"};
  return {};
}

bool QtShellExec::FileExists(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).isFile();
}

std::string QtShellExec::ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path().string() + "/";
}

}  // namespace nv
