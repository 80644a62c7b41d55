#pragma once
#include <string>

#include "platform/http.h"

namespace nv {

// HTTP GET through norvane-fetch, one run of it per request, so that this process never loads
// libcurl and the TLS libraries. The fetcher keeps the request's time limits itself; this side
// keeps them too, a little later, and stops a fetcher that goes silent or runs past them. A
// fetcher that is missing, crashes or answers garbage is a failed request with its reason.
class FetcherHttp : public Http {
 public:
  // `fetcherPath` empty: no fetcher was found.
  explicit FetcherHttp(std::string fetcherPath);
  Result<std::string> Get(const HttpRequest& request) override;

 private:
  std::string fetcherPath_;
};

// The fetcher next to this program's binary, else the one where an install puts it; empty
// when there is neither.
std::string FindFetcher();

}  // namespace nv
