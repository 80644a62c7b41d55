#pragma once
#include <string>

namespace nv {

// The home folder of the user this process runs as: $HOME when it holds an absolute path,
// else the password database's entry, else "/". Never a shared folder such as /tmp, where
// another user could plant what the program then reads.
std::string UserHomeFolder();

// Where this user's programs keep what they can make again: the XDG cache folder
// ($XDG_CACHE_HOME when it holds an absolute path, else .cache in the home folder).
std::string UserCacheFolder();

// Where Norvane keeps what it can fetch again: "norvane" in the user's cache folder; for root
// without XDG_CACHE_HOME, whose files are the system's, /var/cache/norvane (which a package's
// purge removes).
std::string ProgramCacheFolder();

}  // namespace nv
