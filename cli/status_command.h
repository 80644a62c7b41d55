#pragma once
#include <functional>
#include <ostream>

#include "cli/command.h"
#include "platform/cpu.h"
#include "platform/memory.h"

namespace nv::cli {

// `status`: the status-line memory text, the tooltip text, the six memory figures in bytes
// from the same snapshot, then the CPU usage over one second.
inline constexpr std::string_view kStatusUsage = "status";
int StatusCommand(const Arguments& args, std::ostream& out, std::ostream& err);

// `wait` separates the two CPU samples. A failure, with nothing written, when the memory status
// cannot be read: zeros would pass for a machine without memory.
Result<void> WriteStatus(Memory& memory, Cpu& cpu, const std::function<void()>& wait, std::ostream& out);

}  // namespace nv::cli
