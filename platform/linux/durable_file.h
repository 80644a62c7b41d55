#pragma once
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace nv {

// File steps that survive a crash or a kill at any moment. They throw std::system_error.

// The whole file, or nullopt when it does not exist.
std::optional<std::string> ReadFileIfExists(const std::string& path);

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

// An exclusive advisory lock on a lock file, held for the object's lifetime. The file is
// opened for reading only, so a lock file made by another user can still be locked.
class FileLock {
 public:
  explicit FileLock(const std::string& lockPath);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

std::string ParentDirectory(const std::string& path);

}  // namespace nv
