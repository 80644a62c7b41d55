#pragma once
#include <string>

#include "platform/memory.h"

namespace nv {

// The status line's memory panel: "PM:<avail>K/<total>K PF:<avail>K/<total>K " in whole
// kilobytes rounded down, ending with a blank.
std::string StatusLineMemoryText(const MemoryStatusEx& status);

// The tray icon's tooltip: "<avail> MB free of <total> MB physical memory".
std::string TrayTooltipText(const MemoryStatusEx& status);

}  // namespace nv
