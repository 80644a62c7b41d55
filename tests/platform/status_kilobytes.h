#pragma once
#include <sys/types.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "platform/linux/system/text_fields.h"

namespace nv::test {

// One kilobyte figure of /proc/PID/status, such as RssFile; 0 when it is not there.
inline uint64_t StatusKilobytes(pid_t pid, const std::string& key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  uint64_t kilobytes = 0;
  for (std::string line; std::getline(status, line);)
    if (KeyedNumber(line, key, kilobytes)) return kilobytes;
  return 0;
}

}  // namespace nv::test
