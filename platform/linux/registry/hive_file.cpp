#include "platform/linux/registry/hive_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "platform/error.h"
#include "platform/linux/registry/durable_file.h"
#include "platform/linux/registry/hive_text.h"

namespace nv {

namespace {

// A new hive is readable by everyone: the machine hive is read by every user's instance.
constexpr mode_t kNewHiveMode = 0644;
constexpr mode_t kFolderMode = 0755;
// The program's own hives hold a few kilobytes; a file far beyond that is not one of them,
// and reading it whole would only exhaust memory.
constexpr size_t kMaxHiveBytes = 64u << 20;
// A writer holds the lock for the few milliseconds of one write; far longer means it is stuck,
// or held on purpose.
constexpr std::chrono::seconds kLockWait{3};

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : kNewHiveMode;
}

Failure WriteFailure(const std::system_error& e, const std::string& path) {
  const std::error_code& error = e.code();
  if (error == std::errc::no_space_on_device || error.value() == EDQUOT)
    return {"There is not enough space on the disk to write the registry file \"" + path + "\".", error.value()};
  if (error == std::errc::read_only_file_system)
    return {"The registry file \"" + path + "\" is on a read-only file system.", error.value()};
  return {"Access is denied: " + std::string(e.what()) + ".", error.value()};
}

}  // namespace

HiveFile::HiveFile(std::string path, std::string rootName) : path_(std::move(path)), rootName_(std::move(rootName)) {}

std::shared_ptr<const Hive> HiveFile::Parse(std::string text) const {
  if (cachedHive_ && text == cachedText_) return cachedHive_;
  try {
    cachedHive_ = std::make_shared<const Hive>(ParseHive(text, rootName_));
    cachedText_ = std::move(text);
    return cachedHive_;
  } catch (const HiveSyntaxError& e) {
    throw Error("The registry file \"" + path_ + "\" is damaged at line " + std::to_string(e.Line()) + ": " + e.what());
  }
}

std::shared_ptr<const Hive> HiveFile::Load() const {
  std::optional<std::string> text;
  try {
    text = ReadFileIfExists(path_, kMaxHiveBytes);
  } catch (const UnfitFileError& e) {
    throw Error("The registry file \"" + path_ + "\" is damaged: " + e.what());
  } catch (const std::system_error& e) {
    throw Error("Cannot read the registry file \"" + path_ + "\": " + e.code().message());
  }
  return text ? Parse(std::move(*text)) : std::make_shared<const Hive>();
}

Result<void> HiveFile::Update(const std::function<bool(Hive&)>& change) {
  // A change that the file as it stands makes no difference to needs no folder, lock or
  // write; deleting what is not there succeeds also where nothing may be written.
  if (Hive probe = *Load(); !change(probe)) return {};
  try {
    MakeDirectories(ParentDirectory(path_), kFolderMode);
    FileLock lock(path_ + ".writer-lock", kLockWait);
    RemoveStaleTemporaries(path_);
    Hive hive = *Load();
    if (!change(hive)) return {};
    std::string text = FormatHive(hive, rootName_);
    WriteFileAtomically(path_, text, ModeOf(path_));
    cachedText_ = std::move(text);
    cachedHive_ = std::make_shared<const Hive>(std::move(hive));
    return {};
  } catch (const std::system_error& e) {
    return WriteFailure(e, path_);
  } catch (const LockTimeoutError& e) {
    return Failure{"The registry file \"" + path_ + "\" was not written: " + e.what() + ".", EWOULDBLOCK};
  }
}

}  // namespace nv
