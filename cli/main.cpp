#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "cli/command.h"
#include "cli/processes_command.h"
#include "cli/reg_command.h"
#include "cli/status_command.h"
#include "cli/trim_command.h"
#include "cli/optimize_command.h"

namespace {

struct Command {
  std::string_view name;
  nv::cli::CommandEntry run;
};

// One line per command: its name and its entry point (each in cli/<name>_command.{h,cpp}).
constexpr Command kCommands[] = {
    {"status", nv::cli::StatusCommand},
    {"processes", nv::cli::ProcessesCommand},
    {"trim", nv::cli::TrimCommand},
    {"optimize", nv::cli::OptimizeCommand},
    {"reg", nv::cli::RegCommand},
};

std::string CommandNames() {
  std::string names;
  for (const auto& command : kCommands) names += (names.empty() ? "" : "|") + std::string(command.name);
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return nv::cli::Usage(std::cerr, CommandNames() + " ...");
  const std::string_view name = argv[1];
  for (const auto& command : kCommands) {
    if (command.name != name) continue;
    try {
      const int code = command.run(nv::cli::Arguments(argv + 2, argv + argc), std::cout, std::cerr);
      // Output that never arrived (a full disk, a closed pipe) must not pass for success.
      if (!std::cout.flush()) {
        std::cerr << "norvane-cli " << name << ": the output could not be written\n";
        return 1;
      }
      return code;
    } catch (const std::exception& e) {
      std::cerr << "norvane-cli " << name << ": " << e.what() << '\n';
      return 1;
    }
  }
  return nv::cli::Usage(std::cerr, CommandNames() + " ...");
}
