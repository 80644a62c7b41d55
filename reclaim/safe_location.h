#pragma once
#include <string>

namespace nv::reclaim {

// Empty when the running helper (its file open as `exeFd`, named `exePath`) can be changed by
// root alone: the file and its folder owned by root and writable by no group and no other
// user, and every folder above owned by root and either writable by root alone or sticky (as
// /tmp is, where others may add entries but never rename or remove root's). Otherwise why not.
// A user who could write any of them could swap the helper, or the folder it stands in, for
// files of their own under the name that the program runs.
std::string UnsafeLocationReason(int exeFd, const std::string& exePath);

}  // namespace nv::reclaim
