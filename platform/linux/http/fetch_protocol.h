#pragma once
#include <string>
#include <vector>

#include "platform/http.h"

namespace nv::fetch {

// What norvane-fetch, the small program that makes the update check's one HTTP request, and
// the program that runs it agree on. The request travels on its command line. Its answer on
// standard output is a progress mark for each piece of the server's answer as it arrives (so
// that the caller can tell a slow server from a hung fetcher), then one outcome mark: the body
// to the end of the output with exit code 0, or the reason of the failure with exit code 1.

constexpr const char* kFetcherName = "norvane-fetch";
constexpr char kProgress = '.';
constexpr char kBody = '+';
constexpr char kFailure = '-';

enum ExitCode : int {
  kFetched = 0,
  kNotFetched = 1,
  kUsage = 2,  // the command line is not a request
};

std::vector<std::string> Arguments(const HttpRequest& request);
// False unless `args` are exactly what Arguments() makes, every figure in range.
bool ParseArguments(const std::vector<std::string>& args, HttpRequest& request);

}  // namespace nv::fetch
