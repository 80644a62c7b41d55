#pragma once
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace nv {

// A new file written beside `target` under a temporary name and renamed over it only on
// Commit, so that a write that fails half-way never leaves a truncated or stale target.
// Dropping an uncommitted StagedFile removes the temporary file.
class StagedFile {
 public:
  // Opens the temporary file; a folder that refuses it is told by ThrowIfRefused().
  explicit StagedFile(std::filesystem::path target);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Throws nv::Error 'Cannot create file "<target>". <reason>' when the file was refused.
  void ThrowIfRefused() const;
  // Writes `contents` and renames the file into place; throws nv::Error on failure.
  void Commit(std::string_view contents);

 private:
  std::error_code Open();
  [[noreturn]] void Fail(const std::error_code& reason) const;

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  std::error_code refusal_;
};

// 'Cannot create file "<file>". <reason>', the error of a file that cannot be created.
std::string CannotCreateFileText(const std::filesystem::path& file, const std::error_code& reason);

}  // namespace nv
