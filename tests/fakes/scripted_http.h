#pragma once
#include <string>
#include <vector>

#include "platform/http.h"

namespace nv::test {

// Answers every GET with the scripted body, or fails with the scripted reason; records requests.
class ScriptedHttp : public Http {
 public:
  bool succeeds = false;
  std::string body;
  std::string failure = "connection refused";
  std::vector<HttpRequest> requests;

  Result<std::string> Get(const HttpRequest& request) override {
    requests.push_back(request);
    if (!succeeds) return Failure{failure};
    return body;
  }
};

}  // namespace nv::test
