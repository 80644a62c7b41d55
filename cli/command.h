#pragma once
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reclaim.h"

namespace nv::cli {

// The words after the command's name.
using Arguments = std::vector<std::string>;

// A command's entry point: builds the services it needs, runs, returns the exit code.
using CommandEntry = int (*)(const Arguments& args, std::ostream& out, std::ostream& err);

constexpr int kUsageExit = 2;
// Nothing was trimmed for want of the privilege: the helper is missing or holds no capabilities.
constexpr int kPrivilegeMissingExit = 3;

// A trim failed: its helper could not run, refused, crashed or did not answer, or a
// machine-wide trim asked for was not authorized.
constexpr int kTrimFailedExit = 4;

// When `missing` is given (a trim advised nothing for want of the privilege): writes what is
// wrong and the command that mends it to `err` and returns kPrivilegeMissingExit; else 0.
int PrivilegeMissingExit(const ReclaimOutcome* missing, std::ostream& err);

// Prints "usage: norvane-cli <synopsis>" as one line to `err` and returns kUsageExit.
int Usage(std::ostream& err, std::string_view synopsis);

// A field of tab-separated output with each control character (tabs and line breaks that a
// process may put in its own name, C1 controls, bidirectional overrides) and each byte that is
// not well-formed UTF-8 replaced by '?', so that it cannot forge fields or lines or reorder
// what a terminal shows.
std::string PlainField(std::string_view text);

// Writes a message box text (lines joined by "\r\n") as terminal lines.
void WriteReportLines(const std::string& text, std::ostream& out);

}  // namespace nv::cli
