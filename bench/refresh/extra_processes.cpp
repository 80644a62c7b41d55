#include "bench/refresh/extra_processes.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace nv::bench {

namespace {

int g_request = -1;  // to the spawner: wanted child counts
int g_reply = -1;    // from the spawner: one byte once a count is reached
pid_t g_spawner = -1;

[[noreturn]] void Idle() {
  for (;;) pause();
}

[[noreturn]] void Spawner(int requests, int replies) {
  std::vector<pid_t> children;
  int wanted = 0;
  while (read(requests, &wanted, sizeof wanted) == sizeof wanted) {
    while (static_cast<int>(children.size()) < wanted) {
      const pid_t child = fork();
      if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        Idle();
      }
      if (child < 0) {
        std::perror("fork");
        break;
      }
      children.push_back(child);
    }
    while (static_cast<int>(children.size()) > wanted) {
      kill(children.back(), SIGKILL);
      waitpid(children.back(), nullptr, 0);
      children.pop_back();
    }
    const char done = 1;
    if (write(replies, &done, 1) != 1) break;
  }
  for (pid_t child : children) kill(child, SIGKILL);
  for (pid_t child : children) waitpid(child, nullptr, 0);
  std::_Exit(0);
}

}  // namespace

void ExtraProcesses::StartSpawner() {
  int toSpawner[2], fromSpawner[2];
  if (pipe(toSpawner) != 0 || pipe(fromSpawner) != 0) std::abort();
  g_spawner = fork();
  if (g_spawner == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    close(toSpawner[1]);
    close(fromSpawner[0]);
    Spawner(toSpawner[0], fromSpawner[1]);
  }
  close(toSpawner[0]);
  close(fromSpawner[1]);
  g_request = toSpawner[1];
  g_reply = fromSpawner[0];
}

void ExtraProcesses::Resize(int count) {
  char done = 0;
  if (write(g_request, &count, sizeof count) != sizeof count || read(g_reply, &done, 1) != 1) std::abort();
}

void ExtraProcesses::Stop() {
  if (g_spawner <= 0) return;
  close(g_request);
  waitpid(g_spawner, nullptr, 0);
  g_spawner = -1;
}

}  // namespace nv::bench
