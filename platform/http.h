#pragma once
#include <cstddef>
#include <stop_token>
#include <string>

#include "platform/result.h"

namespace nv {

struct HttpRequest {
  std::string url;
  std::string userAgent;
  std::string accept;
  long readTimeoutMs = 5000;   // the longest wait for the next data
  long deadlineMs = 15000;     // the whole request, however steadily the data trickles in
  size_t maxBodyBytes = 64 * 1024;
  bool allowCookies = true;
  // Asked to stop (from any thread), the request ends at once as a failure.
  std::stop_token stop;
};

class Http {
 public:
  virtual ~Http() = default;
  // One GET of the whole resource: its body, or a failure with the reason (no connection,
  // time-out, deadline passed, HTTP error status, body over the limit).
  virtual Result<std::string> Get(const HttpRequest& request) = 0;
};

}  // namespace nv
