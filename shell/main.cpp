#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <filesystem>
#include <memory>

#include "platform/linux/reclaim/capability_drop.h"
#include "platform/log.h"
#include "platform/product.h"
#include "shell/Application.h"
#include "shell/QuitRequest.h"
#include "shell/TDM.h"
#include "shell/TForm_Tarnel.h"
#include "shell/after_first_frame.h"
#include "shell/tray_integration.h"
#include "shell/linux_services.h"
#include "shell/platform_fallback.h"

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

  nv::PlatformFallback platformFallback;
  nv::LinuxServices platform;
  nv::Application app(argc, argv, platform.dialogs());
  platformFallback.Settle();
  Q_INIT_RESOURCE(norvane);
  // The main window ends the program itself when it closes; a message box closed while the
  // window sits in the tray must not.
  app.setQuitOnLastWindowClosed(false);

  if (platform.instance().IsInstanceRunning()) return 0;
  platform.instance().SignalInstanceEvent();
  if (const std::string& problem = platform.InstanceLockProblem(); !problem.empty())
    nv::Log(nv::LogLevel::Warning, "runs without its single-instance lock, so a second start will not find this one: " + problem);
  // No display name: Qt would append it to the caption of every other window and box.
  app.setApplicationName(QString::fromUtf8(nv::kProductTitle));
  app.setDesktopFileName(QString::fromUtf8(nv::kDesktopEntryName));
  // From a pixmap: a QIcon made from a file name without a suffix asks the MIME database what
  // the file is, which loads and keeps the whole database for the rest of the run. Read as
  // PNG without guessing: a guess loads every image plugin (SVG with its library, GIF, ICO,
  // JPEG) before the first frame.
  QImageReader icon(QStringLiteral(":/ICON/NORVANE"), "PNG");
  icon.setAutoDetectImageFormat(false);
  app.setWindowIcon(QIcon(QPixmap::fromImage(icon.read())));

  // The update area (product values and data module TDM) outlives the window.
  std::unique_ptr<TDM> DM;
  TForm_Tarnel window(platform.services());
  window.setWindowTitle(QString::fromUtf8(nv::kProductTitle));
  if (!window.StartWasRefused()) {
    // After the first frame: its durable write of the product values and the fetcher it starts
    // took the processor and the disk from the window's first frame, which shows neither.
    nv::RunAfterFirstFrame(window, [&DM, services = platform.services()] {
      DM = StartUpdateArea({services.http, services.registry, services.dialogs, services.shell});
    });
    nv::QuitRequestServer quitRequests;
    QObject::connect(&quitRequests, &nv::QuitRequestServer::QuitRequested, &app, &QCoreApplication::quit);
    quitRequests.Listen(nv::LinuxServices::QuitRequestPath());
    window.show();
    app.exec();
  }
  // Every way out ends here: the tray icon goes and the single-instance mark is dropped.
  window.RemoveTrayIcon();
  platform.instance().ResetInstanceEvent();
  return 0;
}
