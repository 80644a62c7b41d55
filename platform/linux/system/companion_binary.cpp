#include "platform/linux/system/companion_binary.h"

#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace nv {

namespace {

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The folder of this process's binary; empty when it cannot be read.
std::filesystem::path OwnBinaryFolder() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof path) return {};
  return std::filesystem::path(std::string(path, static_cast<size_t>(length))).parent_path();
}

}  // namespace

std::vector<std::string> CompanionPlaces(const std::string& name, const std::string& installedPath) {
  std::vector<std::string> places;
  if (const auto folder = OwnBinaryFolder(); !folder.empty()) {
    places.push_back((folder / name).string());
    places.push_back((folder / NORVANE_COMPANION_FOLDER_FROM_BINARY / name).lexically_normal().string());
  }
  if (std::find(places.begin(), places.end(), installedPath) == places.end()) places.push_back(installedPath);
  return places;
}

std::string FindCompanion(const std::string& name, const std::string& installedPath) {
  for (const std::string& candidate : CompanionPlaces(name, installedPath))
    if (IsFile(candidate)) return candidate;
  return {};
}

std::string CompanionPlacesText(const std::string& name, const std::string& installedPath) {
  const std::vector<std::string> places = CompanionPlaces(name, installedPath);
  std::string text;
  for (size_t i = 0; i < places.size(); ++i)
    text += (i == 0 ? "" : i + 1 == places.size() ? " and " : ", ") + places[i];
  return text;
}

bool SpawnCompanion(const std::string& path, const std::vector<std::string>& args, CompanionChild& child) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return false;
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  char* noEnvironment[] = {nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const int spawned = ::posix_spawn(&child.pid, path.c_str(), &actions, nullptr, argv.data(), noEnvironment);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (spawned != 0) {
    ::close(out[0]);
    return false;
  }
  child.output = out[0];
  return true;
}

int WaitCompanion(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

}  // namespace nv
