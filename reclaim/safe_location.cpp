#include "reclaim/safe_location.h"

#include <sys/stat.h>

namespace nv::reclaim {

namespace {

bool RootAlone(const struct stat& st, bool stickyWillDo) {
  if (st.st_uid != 0) return false;
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) == 0) return true;
  return stickyWillDo && (st.st_mode & S_ISVTX) != 0;
}

}  // namespace

std::string UnsafeLocationReason(int exeFd, const std::string& exePath) {
  struct stat own {};
  struct stat named {};
  if (::fstat(exeFd, &own) != 0) return "its own file cannot be examined";
  // The name is checked against the file that runs, so that the folders examined below are
  // the ones that hold it.
  if (exePath.empty() || exePath.front() != '/' || ::stat(exePath.c_str(), &named) != 0 ||
      named.st_dev != own.st_dev || named.st_ino != own.st_ino)
    return "its own file was moved or removed after it started";
  if (!RootAlone(own, false)) return exePath + " can be changed by a user other than root";
  std::string folder = exePath;
  for (bool nearest = true; folder.size() > 1; nearest = false) {
    folder.resize(std::max<size_t>(folder.rfind('/'), 1));
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return "the folder " + folder + " cannot be examined";
    if (!RootAlone(st, !nearest)) return "the folder " + folder + " can be changed by a user other than root";
  }
  return {};
}

}  // namespace nv::reclaim
