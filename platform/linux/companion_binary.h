#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace nv {

// The small programs that ship beside Norvane (the trimming helper, the update fetcher): a
// build runs them from beside its own binary, an install from its libexec folder.

// `name` in the folder of this process's binary; empty when that folder cannot be read.
std::string BesideOwnBinary(const std::string& name);
// `name` beside this process's binary, else `installedPath`; empty when neither is a file.
std::string FindCompanion(const std::string& name, const std::string& installedPath);

struct CompanionChild {
  pid_t pid = -1;
  int output = -1;  // the read end of the child's standard output, close-on-exec
};
// Starts `path` with `args` and an empty environment, so that nothing the user's environment
// says changes what it loads or where it connects; its input and errors go to /dev/null (it
// answers on its output and with its exit code). False when it could not be started.
bool SpawnCompanion(const std::string& path, const std::vector<std::string>& args, CompanionChild& child);
// Waits for the child to end: its exit code, or minus the signal that ended it.
int WaitCompanion(pid_t pid);

}  // namespace nv
