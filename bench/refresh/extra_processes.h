#pragma once
#include <sys/types.h>

namespace nv::bench {

// Idle processes for the refresh to walk. They are forked by a small spawner that is itself
// forked before the program grows, so that each costs a few pages, not a copy of a Qt
// process's page tables.
class ExtraProcesses {
 public:
  // Call first in main(), before any thread or large allocation exists.
  static void StartSpawner();
  // Makes the number of idle children exactly `count`.
  static void Resize(int count);
  // Ends the spawner and every child.
  static void Stop();
};

}  // namespace nv::bench
