#pragma once
#include "platform/clipboard.h"
#include "platform/cpu.h"
#include "platform/dialogs.h"
#include "platform/focus.h"
#include "platform/hotkeys.h"
#include "platform/http.h"
#include "platform/memory.h"
#include "platform/paging.h"
#include "platform/processes.h"
#include "platform/reclaim.h"
#include "platform/registry.h"
#include "platform/security.h"
#include "platform/shellexec.h"

namespace nv {

// The operating-system services the main window works with. main() hands it the Linux
// implementations; GUI tests hand it fakes.
struct Services {
  Memory& memory;
  Processes& processes;
  Cpu& cpu;
  Registry& registry;
  Dialogs& dialogs;
  Clipboard& clipboard;
  HotKeys& hotKeys;
  ShellExec& shell;
  InstanceEvent& instance;
  Privileges& privileges;
  Http& http;
  PagingConfiguration& paging;
  Reclaimer& reclaimer;
  ReclaimMeter& reclaimMeter;
  FocusedWindow& focus;
};

}  // namespace nv
