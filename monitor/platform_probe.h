#pragma once
#include "platform/cpu.h"

namespace nv {

// The start-up version probe: throws nv::Error("Can't get the Windows version") when the
// platform family cannot be read, which ends start-up before the main window exists.
void ProbePlatformVersion(Cpu& cpu);

}  // namespace nv
