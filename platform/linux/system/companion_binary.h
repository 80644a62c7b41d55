#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace nv {

// The small programs that ship beside Norvane (the trimming helper, the update fetcher): a
// build runs them from beside its own binary, an install from its libexec folder.

// Where `name` may lie, in the order looked at: beside this process's binary (a build folder),
// in the install's libexec folder reached from that binary (an install whose prefix differs from
// the configured one), then `installedPath` (the configured prefix).
std::vector<std::string> CompanionPlaces(const std::string& name, const std::string& installedPath);
// The first of those places that holds a file; empty when none does.
std::string FindCompanion(const std::string& name, const std::string& installedPath);
// Those places as a message names them: "a, b and c".
std::string CompanionPlacesText(const std::string& name, const std::string& installedPath);

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
