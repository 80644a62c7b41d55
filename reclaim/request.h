#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reclaim.h"

namespace nv::reclaim {

// What the helper's command line asks: `pageout|cold all` or `pageout|cold PID...`.
struct Request {
  ReclaimAdvice advice = ReclaimAdvice::PageOut;
  bool allProcesses = false;
  std::vector<uint32_t> pids;
};

constexpr const char* kSynopsis = "norvane-reclaim pageout|cold all|PID...";

// Empty when `args` (the words after the program's name) are a request, stored in `request`;
// otherwise why they are not. A pid is written in plain decimal digits and lies within the
// kernel's range of pids: signs, other characters and larger numbers refuse the whole
// request. A pid named more than once is kept once (the list comes back sorted). Pid 0, and 1
// for the page-out advice, are numbers like the others: the pass skips them.
std::string ParseRequest(const std::vector<std::string_view>& args, Request& request);

}  // namespace nv::reclaim
