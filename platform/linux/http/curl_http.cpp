#include "platform/linux/http/curl_http.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <mutex>

namespace nv {

namespace {

using Clock = std::chrono::steady_clock;

struct Transfer {
  const HttpRequest& request;
  std::string& body;
  const std::function<void()>& onData;
  Clock::time_point started = Clock::now();
  Clock::time_point lastData = started;
  bool tooLarge = false;
  bool timedOut = false;
  bool pastDeadline = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const size_t n = size * count;
  t.lastData = Clock::now();
  if (t.onData) t.onData();
  if (t.body.size() + n > t.request.maxBodyBytes) {
    t.tooLarge = true;
    return 0;  // libcurl ends the transfer with a write error
  }
  t.body.append(data, n);
  return n;
}

size_t OnHeader(char*, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  t.lastData = Clock::now();
  if (t.onData) t.onData();
  return size * count;
}

// libcurl calls this at least once a second while the transfer waits, which bounds the
// silence a transfer may keep and, since a server can keep every silence short and still send
// a byte at a time for hours, the whole transfer: a non-zero answer aborts it.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto& t = *static_cast<Transfer*>(user);
  const auto now = Clock::now();
  t.timedOut = now - t.lastData > std::chrono::milliseconds(t.request.readTimeoutMs);
  t.pastDeadline = now - t.started > std::chrono::milliseconds(t.request.deadlineMs);
  return t.timedOut || t.pastDeadline ? 1 : 0;
}

struct EasyDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

}  // namespace

CurlHttp::CurlHttp(std::function<void()> onData) : onData_(std::move(onData)) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

Result<std::string> CurlHttp::Get(const HttpRequest& request) {
  std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
  if (!curl) return Failure{"libcurl could not start a transfer"};
  std::string body;
  const std::string accept = "Accept: " + request.accept;
  std::unique_ptr<curl_slist, ListDeleter> headers(curl_slist_append(nullptr, accept.c_str()));
  Transfer transfer{request, body, onData_};
  char reason[CURL_ERROR_SIZE] = {};

  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, request.userAgent.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_PROXY, "");
  if (request.allowCookies) curl_easy_setopt(c, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, request.readTimeoutMs);
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBodyBytes));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, reason);

  const CURLcode result = curl_easy_perform(c);
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  // Redirects are not followed, so only a 2xx answer carries the resource itself.
  if (result == CURLE_OK && status >= 200 && status < 300) return body;
  std::string error;
  if (result == CURLE_OK)
    error = "HTTP status " + std::to_string(status);
  else if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED)
    error = "response larger than " + std::to_string(request.maxBodyBytes) + " bytes";
  else if (transfer.pastDeadline)
    error = "no complete answer within " + std::to_string(request.deadlineMs) + " ms";
  else if (transfer.timedOut)
    error = "no data for " + std::to_string(request.readTimeoutMs) + " ms";
  else
    error = *reason ? reason : curl_easy_strerror(result);
  return Failure{error};
}

}  // namespace nv
