#pragma once
#include <string>

#include "platform/security.h"

namespace nv {

// "$XDG_RUNTIME_DIR/NorvaneEvent20070409"; when the session has no runtime directory, the
// same name in a private folder (mode 0700, this user's, not a link): "norvane-UID" in the
// temporary folder, else in the user's ~/.cache. Empty when neither can be had.
std::string DefaultInstanceLockPath();
// Why DefaultInstanceLockPath found no place, naming the folders it tried.
std::string NoPrivateFolderReason();

// The single-instance mark as an advisory lock (flock) on a file: "signalled" means that a
// running instance holds the lock. The kernel drops the lock when its holder ends, however
// it ends, so a crashed instance never blocks the next start.
//
// The test and the marking are one atomic step: IsInstanceRunning takes the lock when it
// finds it free (and answers false); SignalInstanceEvent then has nothing left to do, and
// takes the lock itself only when no test came first. Two starts at the same instant
// therefore cannot both run. An instance that holds the mark answers true when asked again.
class LinuxInstanceEvent : public InstanceEvent {
 public:
  explicit LinuxInstanceEvent(std::string lockPath = DefaultInstanceLockPath());
  ~LinuxInstanceEvent() override;
  LinuxInstanceEvent(const LinuxInstanceEvent&) = delete;
  LinuxInstanceEvent& operator=(const LinuxInstanceEvent&) = delete;

  // False also when the lock file cannot be opened: the program then starts unmarked.
  bool IsInstanceRunning() override;
  void SignalInstanceEvent() override;
  // Releases the mark this process holds; a lock held by another process is not ours to drop.
  void ResetInstanceEvent() override;
  // Why the last attempt could not take the lock, other than another instance holding it
  // (no private folder, a file that cannot be opened); empty when it could.
  const std::string& LockProblem() const { return lockProblem_; }

 private:
  // Takes the lock; false when another process holds it or the file cannot be opened.
  bool TryTakeLock(bool& heldElsewhere);

  std::string lockPath_;
  int fd_ = -1;  // open while this process holds the lock
  std::string lockProblem_;
};

}  // namespace nv
