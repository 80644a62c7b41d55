#include "platform/linux/http/fetch_protocol.h"

#include <charconv>

namespace nv::fetch {

namespace {

enum Field { kUrl, kUserAgent, kAccept, kReadTimeout, kDeadline, kMaxBody, kCookies, kFieldCount };

template <typename Number>
bool ParsePositive(const std::string& text, Number& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && value > 0;
}

}  // namespace

std::vector<std::string> Arguments(const HttpRequest& request) {
  return {request.url,
          request.userAgent,
          request.accept,
          std::to_string(request.readTimeoutMs),
          std::to_string(request.deadlineMs),
          std::to_string(request.maxBodyBytes),
          request.allowCookies ? "1" : "0"};
}

bool ParseArguments(const std::vector<std::string>& args, HttpRequest& request) {
  if (args.size() != kFieldCount || args[kUrl].empty()) return false;
  if (args[kCookies] != "0" && args[kCookies] != "1") return false;
  request.url = args[kUrl];
  request.userAgent = args[kUserAgent];
  request.accept = args[kAccept];
  request.allowCookies = args[kCookies] == "1";
  return ParsePositive(args[kReadTimeout], request.readTimeoutMs) && ParsePositive(args[kDeadline], request.deadlineMs) &&
         ParsePositive(args[kMaxBody], request.maxBodyBytes);
}

}  // namespace nv::fetch
