#include "platform/linux/http/fetcher_http.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stop_token>
#include <thread>

#include "platform/linux/system/companion_binary.h"
#include "platform/linux/http/fetch_protocol.h"

namespace nv {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How much later than the fetcher this side gives up: the fetcher checks its limits about once
// a second, and needs a moment to say why it stopped.
constexpr milliseconds kGrace{2000};
constexpr size_t kLongestReason = 1024;

enum class Ending { Answered, Silent, PastDeadline, Unreadable };

// What the fetcher wrote: its progress marks are dropped, the outcome mark and what follows kept.
struct Answer {
  char mark = 0;
  std::string text;
  bool tooLong = false;

  void Add(const char* data, size_t size, size_t longest) {
    for (; size > 0 && mark == 0; ++data, --size)
      if (*data != fetch::kProgress) mark = *data;
    if (mark == 0) return;
    tooLong = tooLong || text.size() + size > longest;
    if (!tooLong) text.append(data, size);
  }
};

// Reads the fetcher's output to its end, unless it goes silent or runs past the deadline.
Ending ReadAnswer(int output, const HttpRequest& request, Answer& answer) {
  const auto started = Clock::now();
  const auto deadline = started + milliseconds(request.deadlineMs) + kGrace;
  auto lastData = started;
  const size_t longest = std::max(request.maxBodyBytes, kLongestReason);
  for (;;) {
    const auto now = Clock::now();
    const auto silenceEnds = lastData + milliseconds(request.readTimeoutMs) + kGrace;
    if (now >= deadline) return Ending::PastDeadline;
    if (now >= silenceEnds) return Ending::Silent;
    const auto wait = std::chrono::ceil<milliseconds>(std::min(deadline, silenceEnds) - now);
    pollfd ready{output, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(wait.count()));
    if (polled < 0 && errno != EINTR) return Ending::Unreadable;
    if (polled <= 0) continue;
    char buffer[4096];
    const ssize_t got = ::read(output, buffer, sizeof buffer);
    if (got == 0) return Ending::Answered;
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return Ending::Unreadable;
    }
    lastData = Clock::now();
    answer.Add(buffer, static_cast<size_t>(got), longest);
    if (answer.tooLong) return Ending::Unreadable;
  }
}

// A fetcher that closed its output normally exits at once; one that does not is stopped.
int EndFetcher(pid_t pid, bool stop) {
  for (int tries = 0; !stop && tries < 100; ++tries) {
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    if (ended < 0 && errno != EINTR) return -1;
    std::this_thread::sleep_for(milliseconds(10));
  }
  ::kill(pid, SIGKILL);
  return WaitCompanion(pid);
}

}  // namespace

std::string FindFetcher() { return FindCompanion(fetch::kFetcherName, NORVANE_FETCH_PATH); }

FetcherHttp::FetcherHttp(std::string fetcherPath) : fetcherPath_(std::move(fetcherPath)) {}

Result<std::string> FetcherHttp::Get(const HttpRequest& request) {
  const std::string name = fetch::kFetcherName;
  if (fetcherPath_.empty())
    return Failure{name + ", which makes the request, is not installed (looked for " +
                   CompanionPlacesText(name, NORVANE_FETCH_PATH) + ")"};
  CompanionChild child;
  if (!SpawnCompanion(fetcherPath_, fetch::Arguments(request), child))
    return Failure{fetcherPath_ + " could not be started"};
  Answer answer;
  Ending ending;
  {
    // A stopped fetcher closes its output, which ends the read at once. Only while the child
    // is not yet waited for: its process ID cannot have been reused.
    const std::stop_callback stopFetcher(request.stop, [pid = child.pid] { ::kill(pid, SIGKILL); });
    ending = ReadAnswer(child.output, request, answer);
  }
  ::close(child.output);
  const int status = EndFetcher(child.pid, ending != Ending::Answered);

  std::string error;
  if (request.stop.stop_requested()) {
    error = "the request was given up (" + name + " was stopped)";
  } else if (ending == Ending::Silent) {
    error = "no data for " + std::to_string(request.readTimeoutMs) + " ms (" + name + " was stopped)";
  } else if (ending == Ending::PastDeadline) {
    error = "no complete answer within " + std::to_string(request.deadlineMs) + " ms (" + name + " was stopped)";
  } else if (ending == Ending::Answered && status == fetch::kFetched && answer.mark == fetch::kBody &&
             answer.text.size() <= request.maxBodyBytes) {
    return std::move(answer.text);
  } else if (ending == Ending::Answered && status == fetch::kNotFetched && answer.mark == fetch::kFailure &&
             !answer.text.empty()) {
    error = std::move(answer.text);
  } else if (ending == Ending::Answered && status < 0) {
    error = name + " ended by signal " + std::to_string(-status) + " before it answered";
  } else {
    error = name + " gave an answer that could not be read";
  }
  return Failure{error};
}

}  // namespace nv
