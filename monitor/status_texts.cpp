#include "monitor/status_texts.h"

#include "engine/memory_units.h"

namespace nv {

std::string StatusLineMemoryText(const MemoryStatusEx& status) {
  return "PM:" + std::to_string(KilobytesDown(status.ullAvailPhys)) + "K/" +
         std::to_string(KilobytesDown(status.ullTotalPhys)) + "K PF:" +
         std::to_string(KilobytesDown(status.ullAvailPageFile)) + "K/" +
         std::to_string(KilobytesDown(status.ullTotalPageFile)) + "K ";
}

std::string TrayTooltipText(const MemoryStatusEx& status) {
  return std::to_string(MegabytesDown(status.ullAvailPhys)) + " MB free of " +
         std::to_string(MegabytesDown(status.ullTotalPhys)) + " MB physical memory";
}

}  // namespace nv
