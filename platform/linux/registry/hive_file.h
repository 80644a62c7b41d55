#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/linux/registry/hive.h"
#include "platform/result.h"

namespace nv {

// One hive kept in a text file. Reads take the file as it is; writes re-read it under an
// advisory lock and replace it atomically, so that concurrent writers lose nothing and a
// writer killed at any moment leaves the old or the new file. Not to be shared between threads.
class HiveFile {
 public:
  HiveFile(std::string path, std::string rootName);

  // The hive; empty when the file does not exist. Throws nv::Error naming the file (and
  // the line, when the file is damaged).
  std::shared_ptr<const Hive> Load() const;

  // Applies `change` to the current hive and writes the result when `change` returns true
  // (`change` may run more than once: it must only depend on the hive it is given).
  // A failure, with the reason in words for the user, when the file or its folder cannot be
  // written; throws nv::Error as Load does, and then leaves the file untouched.
  Result<void> Update(const std::function<bool(Hive&)>& change);

 private:
  std::shared_ptr<const Hive> Parse(std::string text) const;

  std::string path_;
  std::string rootName_;
  // The last text read and its hive: a file read again unchanged is not parsed again.
  mutable std::string cachedText_;
  mutable std::shared_ptr<const Hive> cachedHive_;
};

}  // namespace nv
