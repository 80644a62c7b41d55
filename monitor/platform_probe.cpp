#include "monitor/platform_probe.h"

#include <cstdint>

#include "platform/error.h"

namespace nv {

void ProbePlatformVersion(Cpu& cpu) {
  uint32_t id = 0;
  if (!cpu.QueryPlatformId(id)) throw Error("Can't get the Windows version");
}

}  // namespace nv
