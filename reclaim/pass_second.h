#pragma once
#include <time.h>

namespace nv::reclaim {

// At most one pass of each advice a second, among the helpers of all users.
//
// The mark is an flock on a file that the location rule keeps root's and changeable by root
// alone: the helper's own file for the page-out advice, its folder for the cold one. No user
// can delete, replace or pre-date it, as a time stamp in a file of the user's would allow, and
// it vanishes with its holder, so a crashed helper never blocks the next pass. The helper holds
// no capability that could write a root-owned file, so no state can outlive the lock.
// What a user can do: hold the same flock (the helper's file is readable), which makes the
// helpers of everyone "too soon" while they hold it (a denial of trimming, never a pass more);
// or kill their own helper that keeps the second, which lets their next pass start sooner
// (passes still never overlap).
class PassSecond {
 public:
  // False when a pass of this advice holds the second. `lockFd` stays open until the process ends.
  bool Begin(int lockFd);
  // Keeps the mark until one second after Begin, in a child that drops every capability and
  // closes standard input and output, so that the caller, which waits for the result line and
  // for this process, is not kept waiting.
  void KeepRestOfSecond();

 private:
  timespec start_{};
};

}  // namespace nv::reclaim
