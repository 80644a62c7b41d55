#include "platform/linux/http/curl_http.h"
#include "platform/linux/http/fetcher_http.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "fakes/local_http_server.h"

namespace nv {
namespace {

using test::LocalHttpServer;
using Behaviour = LocalHttpServer::Behaviour;

enum class Route { InProcess, ThroughFetcher };

// Every case holds for libcurl in this process and for the same request made by norvane-fetch.
class CurlHttpGet : public ::testing::TestWithParam<Route> {
 protected:
  HttpRequest Request(const std::string& path = "/file.ini") {
    HttpRequest r;
    r.url = server.Url(path);
    r.userAgent = "Agent/1.0";
    r.accept = "text/html, */*";
    r.maxBodyBytes = 1024;
    return r;
  }
  bool Get(const HttpRequest& r) {
    const auto got = http->Get(r);
    body = got ? *got : std::string();
    error = got ? std::string() : got.error().reason;
    return got.has_value();
  }

  LocalHttpServer server;
  std::unique_ptr<Http> http = GetParam() == Route::InProcess ? std::unique_ptr<Http>(std::make_unique<CurlHttp>())
                                                              : std::make_unique<FetcherHttp>(NV_FETCHER);
  std::string body = "stale";
  std::string error;
};

TEST_P(CurlHttpGet, FetchesTheBodyWithTheGivenHeaders) {
  server.SetReply({200, "[Version]\r\nVer=1\r\n", Behaviour::Answer});
  ASSERT_TRUE(Get(Request("/a/b.ini"))) << error;
  EXPECT_EQ(body, "[Version]\r\nVer=1\r\n");
  const auto head = server.Requests().at(0);
  EXPECT_EQ(head.rfind("GET /a/b.ini HTTP/1.1\r\n", 0), 0u) << head;
  EXPECT_NE(head.find("\r\nUser-Agent: Agent/1.0\r\n"), std::string::npos) << head;
  EXPECT_NE(head.find("\r\nAccept: text/html, */*\r\n"), std::string::npos) << head;
}

TEST_P(CurlHttpGet, AnswersOtherThanSuccessFailWithoutABody) {
  for (int status : {301, 302, 304, 400, 404, 500, 503}) {
    server.SetReply({status, "error page", Behaviour::Answer});
    EXPECT_FALSE(Get(Request())) << status;
    EXPECT_EQ(body, "") << status;
    EXPECT_NE(error, "") << status;
  }
}

TEST_P(CurlHttpGet, BodiesOverTheLimitAreRefused) {
  server.SetReply({200, std::string(1024, 'x'), Behaviour::Answer});
  EXPECT_TRUE(Get(Request()));  // exactly the limit is fine

  server.SetReply({200, std::string(1025, 'x'), Behaviour::Answer});
  EXPECT_FALSE(Get(Request()));
  EXPECT_EQ(error, "response larger than 1024 bytes");

  server.SetReply({200, "", Behaviour::EndlessBody});  // no length announced
  EXPECT_FALSE(Get(Request()));
  EXPECT_EQ(error, "response larger than 1024 bytes");
  EXPECT_EQ(body, "");
}

TEST_P(CurlHttpGet, ASilentServerIsAbandonedAfterTheReadTimeout) {
  server.SetReply({200, "", Behaviour::NeverAnswer});
  auto request = Request();
  request.readTimeoutMs = 1000;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Get(request));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(error, "no data for 1000 ms");
  EXPECT_GE(waited, std::chrono::milliseconds(1000));
  EXPECT_LT(waited, std::chrono::seconds(30)) << "the request hung";
}

TEST_P(CurlHttpGet, ATransferThatKeepsSendingIsNotCutOff) {
  // Four pauses of 400 ms: longer than the time-out in all, but never silent that long.
  server.SetReply({200, "[Version]\r\nVer=2010.1.3\r\n", Behaviour::SlowBody, 400});
  auto request = Request();
  request.readTimeoutMs = 1000;
  EXPECT_TRUE(Get(request)) << error;
  EXPECT_EQ(body, "[Version]\r\nVer=2010.1.3\r\n");
}

TEST_P(CurlHttpGet, AServerThatTricklesItsAnswerIsAbandonedAtTheDeadline) {
  // A byte every 200 ms keeps every silence short, but the 40 bytes would take 8 s.
  server.SetReply({200, std::string(40, 'x'), Behaviour::Trickle, 200});
  auto request = Request();
  request.readTimeoutMs = 1000;
  request.deadlineMs = 2000;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Get(request));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(error, "no complete answer within 2000 ms");
  EXPECT_EQ(body, "");
  EXPECT_GE(waited, std::chrono::milliseconds(2000));
  EXPECT_LT(waited, std::chrono::milliseconds(6000)) << "the deadline was not kept";
}

TEST_P(CurlHttpGet, ProxiesFromTheEnvironmentAreNotUsed) {
  ::setenv("http_proxy", "http://127.0.0.1:9", 1);
  ::setenv("HTTP_PROXY", "http://127.0.0.1:9", 1);
  server.SetReply({200, "direct", Behaviour::Answer});
  const bool ok = Get(Request());
  ::unsetenv("http_proxy");
  ::unsetenv("HTTP_PROXY");
  EXPECT_TRUE(ok) << error;
  EXPECT_EQ(body, "direct");
}

TEST_P(CurlHttpGet, OnlyWebAddressesAreFetched) {
  auto request = Request();
  request.url = "file:///etc/hostname";
  EXPECT_FALSE(Get(request));
  EXPECT_EQ(body, "");
}

INSTANTIATE_TEST_SUITE_P(Routes, CurlHttpGet, ::testing::Values(Route::InProcess, Route::ThroughFetcher),
                         [](const auto& route) { return route.param == Route::InProcess ? "InProcess" : "ThroughFetcher"; });

}  // namespace
}  // namespace nv
