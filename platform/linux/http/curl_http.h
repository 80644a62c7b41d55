#pragma once
#include <functional>

#include "platform/http.h"

namespace nv {

// One blocking GET per call through libcurl's easy interface. A transfer that receives
// nothing for the request's read time-out is abandoned, as is one still running at its
// deadline or whose body passes maxBodyBytes; proxies from the environment are never used.
class CurlHttp : public Http {
 public:
  // `onData` is called each time a piece of the server's answer arrives.
  explicit CurlHttp(std::function<void()> onData = {});
  Result<std::string> Get(const HttpRequest& request) override;

 private:
  std::function<void()> onData_;
};

}  // namespace nv
