#include <algorithm>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "cli/command.h"
#include "cli/help.h"
#include "cli/processes_command.h"
#include "cli/reg_command.h"
#include "cli/status_command.h"
#include "cli/trim_command.h"
#include "cli/optimize_command.h"

namespace {

using nv::cli::CommandInfo;

// One line per command: its name, usage, summary and entry point (each in cli/<name>_command.{h,cpp}).
constexpr CommandInfo kCommands[] = {
    {"status", nv::cli::kStatusUsage, "Memory status and processor load", nv::cli::StatusCommand},
    {"processes", nv::cli::kProcessesUsage, "The process report, tab-separated", nv::cli::ProcessesCommand},
    {"trim", nv::cli::kTrimUsage, "Pages out your idle processes (all with --all, every user's with --system)", nv::cli::TrimCommand},
    {"optimize", nv::cli::kOptimizeUsage, "Presses memory (LEVEL 1 to 5), then trims all", nv::cli::OptimizeCommand},
    {"reg", nv::cli::kRegUsage, "Reads, writes and deletes registry values", nv::cli::RegCommand},
};

const CommandInfo* FindCommand(std::string_view name) {
  for (const auto& command : kCommands)
    if (command.name == name) return &command;
  return nullptr;
}

bool IsHelpOption(std::string_view word) { return word == "--help" || word == "-h"; }

int Run(const CommandInfo& command, const nv::cli::Arguments& args) {
  try {
    const int code = command.run(args, std::cout, std::cerr);
    // Output that never arrived (a full disk, a closed pipe) must not pass for success.
    if (!std::cout.flush()) {
      std::cerr << "norvane-cli " << command.name << ": the output could not be written\n";
      return 1;
    }
    return code;
  } catch (const std::exception& e) {
    std::cerr << "norvane-cli " << command.name << ": " << e.what() << '\n';
    return 1;
  }
}

// Help and version go to standard output, where a pager or grep can take them; only a write
// that failed makes them fail.
int Written() { return std::cout.flush() ? 0 : 1; }

}  // namespace

int main(int argc, char** argv) {
  const nv::cli::Arguments args(argv + std::min(argc, 1), argv + argc);
  if (args.empty()) return nv::cli::CommandUsage(kCommands, std::cerr);
  const std::string_view word = args[0];
  if ((IsHelpOption(word) || word == "help") && args.size() == 1) {
    nv::cli::WriteHelp(kCommands, std::cout);
    return Written();
  }
  if (word == "--version" && args.size() == 1) {
    std::cout << "norvane-cli (Velqor Norvane) " NORVANE_VERSION "\n";
    return Written();
  }
  if (word == "help" && args.size() == 2) {
    const CommandInfo* command = FindCommand(args[1]);
    if (!command) return nv::cli::CommandUsage(kCommands, std::cerr);
    nv::cli::WriteCommandHelp(*command, std::cout);
    return Written();
  }
  const CommandInfo* command = FindCommand(word);
  if (!command) return nv::cli::CommandUsage(kCommands, std::cerr);
  if (args.size() == 2 && IsHelpOption(args[1])) {
    nv::cli::WriteCommandHelp(*command, std::cout);
    return Written();
  }
  return Run(*command, nv::cli::Arguments(args.begin() + 1, args.end()));
}
