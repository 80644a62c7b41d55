#include "update/staged_file.h"

#include <cerrno>
#include <random>

#include "platform/error.h"

namespace nv {

namespace {

std::string RandomSuffix() {
  static std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string suffix;
  for (auto bits = generator(); suffix.size() < 12; bits >>= 4) suffix.push_back(kDigits[bits & 15]);
  return suffix;
}

}  // namespace

StagedFile::StagedFile(std::filesystem::path target) : target_(std::move(target)), refusal_(Open()) {}

void StagedFile::ThrowIfRefused() const {
  if (refusal_) Fail(refusal_);
}

StagedFile::~StagedFile() {
  if (!file_) return;
  std::fclose(file_);
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

std::error_code StagedFile::Open() {
  for (int attempt = 0; attempt < 8; ++attempt) {
    temporary_ = target_.parent_path() / ("." + target_.filename().string() + "." + RandomSuffix());
    // "x": never take over a file of that name, however it came there.
    file_ = std::fopen(temporary_.c_str(), "wbx");
    if (file_) return {};
    if (errno != EEXIST) break;
  }
  return {errno, std::generic_category()};
}

void StagedFile::Commit(std::string_view contents) {
  const bool written = std::fwrite(contents.data(), 1, contents.size(), file_) == contents.size();
  const std::error_code writeError{written ? 0 : errno, std::generic_category()};
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  std::error_code error = writeError ? writeError : std::error_code{closed ? 0 : errno, std::generic_category()};
  if (!error) std::filesystem::rename(temporary_, target_, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
    Fail(error);
  }
}

void StagedFile::Fail(const std::error_code& reason) const {
  throw Error(CannotCreateFileText(target_, reason));
}

std::string CannotCreateFileText(const std::filesystem::path& file, const std::error_code& reason) {
  return "Cannot create file \"" + file.string() + "\". " + reason.message();
}

}  // namespace nv
