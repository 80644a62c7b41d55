// norvane-fetch: the update check's one HTTP request, made outside the program so that the
// program never maps libcurl and the TLS libraries it pulls in (several MB that would stay
// resident for the life of a tray program that uses them a few seconds a day).
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/linux/http/curl_http.h"
#include "platform/linux/http/fetch_protocol.h"

namespace {

bool WriteAll(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t wrote = ::write(STDOUT_FILENO, data, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    data += wrote;
    size -= static_cast<size_t>(wrote);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  nv::HttpRequest request;
  if (!nv::fetch::ParseArguments(std::vector<std::string>(argv + 1, argv + argc), request)) return nv::fetch::kUsage;

  nv::CurlHttp http([] { WriteAll(&nv::fetch::kProgress, 1); });
  const auto fetched = http.Get(request);
  const std::string answer = fetched ? nv::fetch::kBody + *fetched : nv::fetch::kFailure + fetched.error().reason;
  if (!WriteAll(answer.data(), answer.size())) return nv::fetch::kNotFetched;
  return fetched ? nv::fetch::kFetched : nv::fetch::kNotFetched;
}
