#pragma once
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace nv::test {

// A real child process with its standard input and output on pipes: the child waits until
// its input is closed, and reports on its output.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    if (::posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    toChild_ = in[1];
    fromChild_ = out[0];
  }
  ~ChildProcess() {
    CloseInput();
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
    if (fromChild_ >= 0) ::close(fromChild_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }

  // The next line the child wrote, without its newline; empty at the end of its output.
  std::string ReadLine() {
    std::string line;
    char c;
    while (::read(fromChild_, &c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
  }
  // Writes `line` and a newline to the child's input.
  bool WriteLine(const std::string& line) {
    const std::string text = line + '\n';
    return ::write(toChild_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }
  void CloseInput() {
    if (toChild_ >= 0) ::close(toChild_);
    toChild_ = -1;
  }
  // The exit status, or -1 when the child did not exit normally.
  int Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    const pid_t waited = ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void Kill() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
    Wait();
  }

 private:
  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
};

}  // namespace nv::test
