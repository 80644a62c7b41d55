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

  bool Get(const HttpRequest& request, std::string& out, std::string& error) override {
    requests.push_back(request);
    if (!succeeds) {
      error = failure;
      return false;
    }
    out = body;
    return true;
  }
};

}  // namespace nv::test
