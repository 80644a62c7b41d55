#pragma once
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/temp_folder.h"

namespace nv::test {

// Copies of built binaries in a fresh folder under the system's temporary folder, owned by
// root and readable by everyone: the clone may sit in a home folder that other users cannot
// enter, and the helper runs only from a place that root alone can change. The folder goes
// with everything in it (a file's capabilities go with the file) in every way out of a test.
class InstalledCopy {
 public:
  InstalledCopy() { ::chmod(folder_.Path().c_str(), 0755); }

  // Copies `built` into the folder as root's, mode 0755; its path there.
  std::string Add(const std::string& built) {
    const std::string copy = folder_ / std::filesystem::path(built).filename().string();
    std::filesystem::copy_file(built, copy, std::filesystem::copy_options::overwrite_existing);
    ::chmod(copy.c_str(), 0755);
    return copy;
  }
  std::string Folder() const { return folder_.Path().string(); }

 private:
  TempFolder folder_;
};

struct CommandRun {
  int exit = -1;
  std::string out;
};

// Runs `command` through the shell; its standard output, and its exit code (-1 when killed).
inline CommandRun RunCommand(const std::string& command) {
  CommandRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The words that start a command as the user nobody, without supplementary groups.
inline std::string AsNobody() { return "setpriv --reuid=nobody --regid=nogroup --clear-groups "; }

// Why a test that runs binaries as nobody with capabilities cannot run here; empty when it can.
inline std::string WhyNotAsNobodyWithCapabilities() {
  if (::geteuid() != 0) return "needs root, to give a copy capabilities and run it as the user nobody";
  if (::getpwnam("nobody") == nullptr) return "there is no user nobody";
  if (std::system("command -v setcap >/dev/null && command -v setpriv >/dev/null") != 0)
    return "needs setcap and setpriv";
  return {};
}

}  // namespace nv::test
