#include "cli/help.h"

#include <string>
#include <vector>

namespace nv::cli {

namespace {

constexpr size_t kUsageColumn = 30;

// "reg query KEY | reg add KEY" gives both forms.
std::vector<std::string_view> UsageForms(std::string_view usage) {
  std::vector<std::string_view> forms;
  for (size_t bar; (bar = usage.find(" | ")) != std::string_view::npos; usage.remove_prefix(bar + 3))
    forms.push_back(usage.substr(0, bar));
  forms.push_back(usage);
  return forms;
}

void WriteEntry(std::string_view usage, std::string_view summary, std::ostream& out) {
  out << "  " << usage;
  if (!summary.empty()) {
    if (usage.size() >= kUsageColumn) out << "\n  " << std::string(kUsageColumn, ' ');
    else out << std::string(kUsageColumn - usage.size(), ' ');
    out << summary;
  }
  out << '\n';
}

}  // namespace

void WriteHelp(std::span<const CommandInfo> commands, std::ostream& out) {
  out << "usage: norvane-cli COMMAND [ARGUMENTS]\n"
         "\n"
         "Memory status, process report and trimming of Velqor Norvane from a terminal.\n"
         "\n"
         "Commands:\n";
  for (const CommandInfo& command : commands) {
    const auto forms = UsageForms(command.usage);
    for (size_t i = 0; i < forms.size(); ++i) WriteEntry(forms[i], i == 0 ? command.summary : "", out);
  }
  out << "\n";
  WriteEntry("help [COMMAND], --help, -h", "This help, or one command's", out);
  WriteEntry("--version", "The version of Norvane", out);
  out << "\nEach command also takes --help. Exit status: 0 done, 1 failed, 2 wrong usage,\n"
         "3 nothing trimmed for want of the privilege, 4 the trim's helper failed or was refused.\n"
         "More in: man norvane-cli\n";
}

void WriteCommandHelp(const CommandInfo& command, std::ostream& out) {
  const auto forms = UsageForms(command.usage);
  for (size_t i = 0; i < forms.size(); ++i) out << (i == 0 ? "usage: " : "       ") << "norvane-cli " << forms[i] << '\n';
  out << '\n' << command.summary << ".\nMore in the manual page: man norvane-cli\n";
}

int CommandUsage(std::span<const CommandInfo> commands, std::ostream& err) {
  std::string names;
  for (const CommandInfo& command : commands) names += std::string(command.name) + "|";
  Usage(err, names + "help ...");
  err << "norvane-cli --help lists the commands.\n";
  return kUsageExit;
}

}  // namespace nv::cli
