#pragma once
#include <ostream>
#include <span>
#include <string_view>

#include "cli/command.h"

namespace nv::cli {

// A command as the dispatch and the help know it.
struct CommandInfo {
  std::string_view name;
  std::string_view usage;    // its words after "norvane-cli"; forms of one command separated by " | "
  std::string_view summary;  // what it does, in a few words
  CommandEntry run;
};

// Every command's usage and summary, and the program's own options.
void WriteHelp(std::span<const CommandInfo> commands, std::ostream& out);
// One command's usage and summary.
void WriteCommandHelp(const CommandInfo& command, std::ostream& out);
// The short usage of a wrong call, with the way to the help; returns kUsageExit.
int CommandUsage(std::span<const CommandInfo> commands, std::ostream& err);

}  // namespace nv::cli
