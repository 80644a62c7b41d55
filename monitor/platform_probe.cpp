#include "monitor/platform_probe.h"

#include "platform/error.h"
#include "platform/log.h"

namespace nv {

void ProbePlatformVersion(Cpu& cpu) {
  if (const auto id = cpu.QueryPlatformId(); !id) {
    LogFailure(LogLevel::Error, "Can't get the Windows version", id.error());
    throw Error("Can't get the Windows version");
  }
}

}  // namespace nv
