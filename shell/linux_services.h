#pragma once
#include <QString>
#include <memory>

#include "platform/linux/system/linux_cpu.h"
#include "platform/linux/system/linux_instance_event.h"
#include "platform/linux/system/linux_memory.h"
#include "platform/linux/system/linux_privileges.h"
#include "platform/linux/system/linux_processes.h"
#include "platform/linux/system/linux_reclaim_meter.h"
#include "platform/linux/reclaim/user_reclaimer.h"
#include "platform/linux/http/fetcher_http.h"
#include "platform/linux/registry/hive_environment.h"
#include "platform/linux/desktop/qt_shell_exec.h"
#include "platform/linux/registry/swap_file_configuration.h"
#include "shell/QtDialogs.h"
#include "shell/paint_through.h"
#include "shell/services.h"

namespace nv {

// Owns one Linux implementation of every service for the life of the program. It is made
// before the application object, which takes its dialogs, and none of its members needs that
// object to be built. The clipboard, the hot keys and the focused window depend on the
// platform Qt connected to (X11, Wayland or offscreen), so they are made only when services()
// is first asked, which must come after the application object exists.
class LinuxServices {
 public:
  LinuxServices() = default;
  LinuxServices(const LinuxServices&) = delete;
  LinuxServices& operator=(const LinuxServices&) = delete;

  Services services();
  Dialogs& dialogs() { return dialogs_; }
  InstanceEvent& instance() { return instance_; }
  // Why this instance runs without the single-instance lock; empty when it holds it.
  const std::string& InstanceLockProblem() const { return instance_.LockProblem(); }
  Cpu& cpu() { return cpu_; }
  // The quit-request socket, beside the single-instance lock; empty when the lock has no place.
  static QString QuitRequestPath();

 private:
  LinuxMemory memory_;
  LinuxProcesses processes_;
  LinuxCpu cpu_;
  std::unique_ptr<HiveRegistry> registry_ = MakeHiveRegistry();
  QtDialogs dialogs_;
  std::unique_ptr<Clipboard> clipboard_;
  std::unique_ptr<HotKeys> hotKeys_;
  QtShellExec shell_;
  LinuxInstanceEvent instance_;
  LinuxPrivileges privileges_;
  FetcherHttp http_{FindFetcher()};
  SwapFileConfiguration paging_{SystemRootFromEnvironment()};
  // The window paints while it waits for the helper, or for an administrator to authenticate.
  std::unique_ptr<Reclaimer> reclaimer_ = MakeUserReclaimer(LetWindowsPaint);
  LinuxReclaimMeter reclaimMeter_;
  std::unique_ptr<FocusedWindow> focus_;

  void ChooseDesktopServices();
};

}  // namespace nv
