#include <QIcon>
#include <QPixmap>
#include <exception>
#include <filesystem>

#include "monitor/platform_probe.h"
#include "platform/linux/capability_drop.h"
#include "platform/log.h"
#include "platform/product.h"
#include "shell/Application.h"
#include "shell/QuitRequest.h"
#include "shell/TDM.h"
#include "shell/TForm_Tarnel.h"
#include "shell/tray_integration.h"
#include "shell/linux_services.h"

int main(int argc, char** argv) {
  // Before Qt loads a single plugin: a capability given to this file by mistake must not reach
  // code from a folder that the user who starts the program names.
  const nv::CapabilityDrop drop = nv::DropEveryCapability();
  if (!drop.held.empty()) {
    std::error_code unreadable;
    nv::Log(drop.dropped ? nv::LogLevel::Warning : nv::LogLevel::Error,
            "this program's file gave it capabilities (" + drop.held + "). " +
                (drop.dropped ? "They were dropped: " : "They could not be dropped, so the program ends: ") +
                "a Qt program must hold none, and other programs are trimmed by norvane-reclaim. "
                "Take them off the file with: sudo setcap -r " +
                std::filesystem::read_symlink("/proc/self/exe", unreadable).string());
    if (!drop.dropped) return 1;
  }

  nv::LinuxServices platform;
  nv::Application app(argc, argv, platform.dialogs());
  Q_INIT_RESOURCE(norvane);
  // The main window ends the program itself when it closes; a message box closed while the
  // window sits in the tray must not.
  app.setQuitOnLastWindowClosed(false);

  try {
    nv::ProbePlatformVersion(platform.cpu());
  } catch (const std::exception& e) {
    platform.dialogs().ShowError(e.what());
    return 1;
  }

  if (platform.instance().IsInstanceRunning()) return 0;
  platform.instance().SignalInstanceEvent();
  // No display name: Qt would append it to the caption of every other window and box.
  app.setApplicationName(QString::fromUtf8(nv::kProductTitle));
  app.setDesktopFileName(QString::fromUtf8(nv::kDesktopEntryName));
  // From a pixmap: a QIcon made from a file name without a suffix asks the MIME database what
  // the file is, which loads and keeps the whole database for the rest of the run.
  app.setWindowIcon(QIcon(QPixmap(QStringLiteral(":/ICON/NORVANE"))));

  // ---- product values and the data module TDM (update area) ----
  const nv::Services services = platform.services();
  const auto DM = StartUpdateArea({services.http, services.registry, services.dialogs, services.shell});
  // ---- end of the update area ----

  TForm_Tarnel window(platform.services());
  window.setWindowTitle(QString::fromUtf8(nv::kProductTitle));
  if (!window.StartRefused) {
    nv::QuitRequestServer quitRequests;
    QObject::connect(&quitRequests, &nv::QuitRequestServer::QuitRequested, &app, &QCoreApplication::quit);
    quitRequests.Listen(nv::LinuxServices::QuitRequestPath());
    window.show();
    app.exec();
  }
  // Every way out ends here: the tray icon goes and the single-instance mark is dropped.
  window.Tray->RemoveTrayIcon();
  platform.instance().ResetInstanceEvent();
  return 0;
}
