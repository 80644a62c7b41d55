#pragma once
#include <cstddef>
#include <string>

namespace nv {

struct HttpRequest {
  std::string url;
  std::string userAgent;
  std::string accept;
  long readTimeoutMs = 5000;   // the longest wait for the next data
  long deadlineMs = 15000;     // the whole request, however steadily the data trickles in
  size_t maxBodyBytes = 64 * 1024;
  bool allowCookies = true;
};

class Http {
 public:
  virtual ~Http() = default;
  // One GET of the whole resource into `body`. false on any failure (no connection,
  // time-out, deadline passed, HTTP error status, body over the limit), with a reason in `error`.
  virtual bool Get(const HttpRequest& request, std::string& body, std::string& error) = 0;
};

}  // namespace nv
