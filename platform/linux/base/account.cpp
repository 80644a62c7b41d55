#include "platform/account.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace nv {

std::string UserHomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home == '/') return home;
  if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir && *entry->pw_dir == '/')
    return entry->pw_dir;
  return "/";
}

}  // namespace nv
