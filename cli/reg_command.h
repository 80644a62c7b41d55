#pragma once
#include <ostream>

#include "cli/command.h"
#include "platform/linux/registry/hive_registry.h"

namespace nv::cli {

// `reg query KEY [VALUE]`, `reg add KEY VALUE TYPE DATA`, `reg delete KEY [VALUE]`, shaped
// like the Windows reg tool, on the registry of this user. Exit 0 on success, 1 when the
// key or value does not exist, the write is refused or a hive is damaged, 2 on bad input.
inline constexpr std::string_view kRegUsage =
    "reg query KEY [VALUE] | reg add KEY VALUE TYPE DATA | reg delete KEY [VALUE]";
int RegCommand(const Arguments& args, std::ostream& out, std::ostream& err);

// The same on the given registry.
int RunReg(HiveRegistry& registry, const Arguments& args, std::ostream& out, std::ostream& err);

}  // namespace nv::cli
