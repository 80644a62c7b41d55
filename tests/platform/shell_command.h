#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace nv::test {

struct CommandResult {
  int exit;         // the exit code, -1 when the command did not end by itself
  std::string out;  // its standard output
};

// Runs `command` with sh -c and collects its standard output.
inline CommandResult RunCommand(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return {-1, ""};
  std::string out;
  char buffer[512];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

}  // namespace nv::test
