#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stop_token>
#include <thread>

#include "platform/linux/http/fetch_protocol.h"
#include "platform/linux/http/fetcher_http.h"

namespace nv {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// Fetchers that misbehave, as shell scripts in a folder of the test's own.
class MisbehavingFetcher : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "norvane-fetcher-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    request.url = "http://127.0.0.1:9/Update.ini";
    request.readTimeoutMs = 500;
    request.deadlineMs = 1500;
    request.maxBodyBytes = 16;
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string Script(const std::string& commands) {
    const fs::path path = folder / "norvane-fetch";
    std::ofstream(path) << "#!/bin/sh\n" << commands << "\n";
    fs::permissions(path, fs::perms::owner_all);
    return path.string();
  }
  // The request through `script`, timed.
  bool Get(const std::string& script) {
    const auto start = std::chrono::steady_clock::now();
    const auto got = FetcherHttp(Script(script)).Get(request);
    waited = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
    body = got ? *got : std::string();
    error = got ? std::string() : got.error().reason;
    return got.has_value();
  }

  fs::path folder;
  HttpRequest request;
  std::string body = "stale";
  std::string error;
  milliseconds waited{};
};

TEST_F(MisbehavingFetcher, AWellBehavedAnswerIsTaken) {
  EXPECT_TRUE(Get("printf '...+[Version]'")) << error;
  EXPECT_EQ(body, "[Version]");
  EXPECT_FALSE(Get("printf '..-could not resolve host'; exit 1"));
  EXPECT_EQ(error, "could not resolve host");
  EXPECT_EQ(body, "");
}

TEST_F(MisbehavingFetcher, AnythingElseIsAFailedRequestWithItsReason) {
  struct Case {
    const char* script;
    const char* error;
  };
  const Case cases[] = {
      {"kill -SEGV $$", "norvane-fetch ended by signal 11 before it answered"},
      {"printf '..+half'; kill -KILL $$", "norvane-fetch ended by signal 9 before it answered"},
      {"echo garbage", "norvane-fetch gave an answer that could not be read"},
      {"printf '+body'; exit 1", "norvane-fetch gave an answer that could not be read"},
      {"printf -- '-'; exit 1", "norvane-fetch gave an answer that could not be read"},
      {"exit 0", "norvane-fetch gave an answer that could not be read"},
      {"exit 2", "norvane-fetch gave an answer that could not be read"},
      {"printf '+0123456789abcdefX'", "norvane-fetch gave an answer that could not be read"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Get(c.script)) << c.script;
    EXPECT_EQ(error, c.error) << c.script;
    EXPECT_EQ(body, "") << c.script;
  }
}

TEST_F(MisbehavingFetcher, ASilentFetcherIsStopped) {
  EXPECT_FALSE(Get("exec /bin/sleep 60"));
  EXPECT_EQ(error, "no data for 500 ms (norvane-fetch was stopped)");
  EXPECT_GE(waited, milliseconds(500));
  EXPECT_LT(waited, milliseconds(10000)) << "the request hung";
}

TEST_F(MisbehavingFetcher, AFetcherThatKeepsReportingProgressIsStoppedAtTheDeadline) {
  EXPECT_FALSE(Get("while :; do printf .; /bin/sleep 0.1; done"));
  EXPECT_EQ(error, "no complete answer within 1500 ms (norvane-fetch was stopped)");
  EXPECT_GE(waited, milliseconds(1500));
  EXPECT_LT(waited, milliseconds(10000)) << "the deadline was not kept";
}

// Asked to stop, from another thread or before it began, a request ends at once, far inside
// limits that would have held it a minute.
TEST_F(MisbehavingFetcher, AStopAskedForEndsTheRequestAtOnce) {
  request.readTimeoutMs = 60000;
  request.deadlineMs = 60000;
  for (const int stopAfterMs : {200, 0}) {
    std::stop_source stop;
    request.stop = stop.get_token();
    std::thread stopper;
    if (stopAfterMs == 0) {
      stop.request_stop();
    } else {
      stopper = std::thread([&] {
        std::this_thread::sleep_for(milliseconds(stopAfterMs));
        stop.request_stop();
      });
    }
    EXPECT_FALSE(Get("exec /bin/sleep 60"));
    if (stopper.joinable()) stopper.join();
    EXPECT_EQ(error, "the request was given up (norvane-fetch was stopped)");
    EXPECT_GE(waited, milliseconds(stopAfterMs));
    EXPECT_LT(waited, milliseconds(30000)) << "the stop was not heard";
  }
}

TEST(FetcherHttp, AMissingFetcherSaysWhereItWasLookedFor) {
  HttpRequest request;
  request.url = "http://127.0.0.1:9/Update.ini";
  const auto missing = FetcherHttp("").Get(request);
  ASSERT_FALSE(missing);
  const std::string& error = missing.error().reason;
  EXPECT_NE(error.find("norvane-fetch, which makes the request, is not installed (looked for /"), std::string::npos)
      << error;
  EXPECT_NE(error.find("/libexec/norvane/norvane-fetch)"), std::string::npos) << error;
  const auto unstartable = FetcherHttp("/nonexistent/norvane-fetch").Get(request);
  ASSERT_FALSE(unstartable);
  EXPECT_EQ(unstartable.error().reason, "/nonexistent/norvane-fetch could not be started");
}

TEST(FetchArguments, ARequestSurvivesTheCommandLineAndNothingElseIsARequest) {
  HttpRequest sent;
  sent.url = "https://www.example.com/a b/Update.ini";
  sent.userAgent = "Velqor Norvane 2010.1.2 (x; y)";
  sent.accept = "text/html, */*";
  sent.readTimeoutMs = 5000;
  sent.deadlineMs = 15000;
  sent.maxBodyBytes = 65536;
  sent.allowCookies = false;
  HttpRequest got;
  ASSERT_TRUE(fetch::ParseArguments(fetch::Arguments(sent), got));
  EXPECT_EQ(got.url, sent.url);
  EXPECT_EQ(got.userAgent, sent.userAgent);
  EXPECT_EQ(got.accept, sent.accept);
  EXPECT_EQ(got.readTimeoutMs, 5000);
  EXPECT_EQ(got.deadlineMs, 15000);
  EXPECT_EQ(got.maxBodyBytes, 65536u);
  EXPECT_FALSE(got.allowCookies);

  const auto with = [&](size_t field, const std::string& value) {
    auto args = fetch::Arguments(sent);
    args.at(field) = value;
    return args;
  };
  const std::vector<std::vector<std::string>> refused = {
      {},           {"http://x"}, with(0, ""),    with(3, "0"), with(3, "-5"), with(4, "1x"),
      with(5, ""),  with(6, "yes"), with(5, "99999999999999999999999")};
  for (const auto& args : refused) EXPECT_FALSE(fetch::ParseArguments(args, got)) << ::testing::PrintToString(args);
}

}  // namespace
}  // namespace nv
