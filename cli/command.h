#pragma once
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace nv::cli {

// The words after the command's name.
using Arguments = std::vector<std::string>;

// A command's entry point: builds the services it needs, runs, returns the exit code.
using CommandEntry = int (*)(const Arguments& args, std::ostream& out, std::ostream& err);

constexpr int kUsageExit = 2;

// Prints "usage: norvane-cli <synopsis>" as one line to `err` and returns kUsageExit.
int Usage(std::ostream& err, std::string_view synopsis);

// A field of tab-separated output with its control characters (tabs and line breaks that a
// process may put in its own name) replaced by '?', so that it cannot forge fields or lines.
std::string PlainField(std::string text);

// Writes a message box text (lines joined by "\r\n") as terminal lines.
void WriteReportLines(const std::string& text, std::ostream& out);

}  // namespace nv::cli
