#pragma once
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nv {

// File steps that survive a crash or a kill at any moment. They throw std::system_error.

// A path that names something a reader must not take as its file: not a regular file (a
// FIFO would block the reader, a device such as /dev/zero never ends), or one over its cap.
class UnfitFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole regular file, or nullopt when it does not exist. Throws UnfitFileError for
// anything else at the path and for a file of more than `maxBytes`; opening never blocks.
std::optional<std::string> ReadFileIfExists(const std::string& path, size_t maxBytes);

// Creates the folder and its missing parents.
void MakeDirectories(const std::string& path, mode_t mode);

// Replaces the file in one step: the content goes to a temporary file in the same folder,
// is flushed to disk and renamed over the file, and the folder is flushed as well. A reader
// sees the old or the new content, never a mix.
void WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode);

// Removes the file and flushes its folder; a missing file is no error.
void RemoveFileDurably(const std::string& path);

// Flushes the folder's entries (a rename or a new link in it) to disk.
void SyncDirectory(const std::string& dir);

// Temporary files left behind by writers that were killed. Only call while holding the
// lock that every writer of `path` takes.
void RemoveStaleTemporaries(const std::string& path);

// The lock of FileLock stayed held by another process beyond the wait allowed.
class LockTimeoutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An exclusive advisory lock on a lock file, held for the object's lifetime. A new lock file
// is open to its owner alone: another user, who could otherwise hold the lock for as long as
// they liked, cannot open it at all. The wait for a holder is bounded by `wait`, after which
// LockTimeoutError names the file.
class FileLock {
 public:
  FileLock(const std::string& lockPath, std::chrono::milliseconds wait);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

std::string ParentDirectory(const std::string& path);

}  // namespace nv
