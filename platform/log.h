#pragma once
#include <string>
#include <string_view>
#include <utility>

#include "platform/result.h"

namespace nv {

// How much a logged line matters; the values are the syslog priorities the journal files by.
enum class LogLevel { Error = 3, Warning = 4, Notice = 5, Info = 6, Debug = 7 };

// Where the reasons go that the user is not shown. Writing never blocks the caller: a line that
// cannot be taken at once is dropped.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void Write(LogLevel level, std::string_view message) = 0;
};

// Logs through the sink in use: the platform's own (stderr, or the journal when systemd runs
// the program) unless one was set.
void Log(LogLevel level, std::string_view message);
// "context: reason", for a failure that is handled without telling the user why.
void LogFailure(LogLevel level, std::string_view context, const Failure& failure);

// For something tried again at every tick of a timer: logs the first failure of each run of
// failures, so that a source that stays unreadable writes one line, not one a tick.
class FailureRunLog {
 public:
  FailureRunLog(LogLevel level, std::string context) : level_(level), context_(std::move(context)) {}
  // Logs `failure` unless the previous try failed too.
  void Failed(const Failure& failure);
  void Succeeded() { failing_ = false; }
  // The value of `result`, or `fallback` with the failure noted.
  template <typename T>
  T ValueOr(const Result<T>& result, T fallback) {
    if (!result) {
      Failed(result.error());
      return fallback;
    }
    Succeeded();
    return *result;
  }

 private:
  LogLevel level_;
  std::string context_;
  bool failing_ = false;
};

// Makes `sink` the one in use (nullptr: the platform's own again) and returns the previous one,
// or nullptr when that was the platform's own.
LogSink* SetLogSink(LogSink* sink);
LogSink& PlatformLogSink();

// One line as the journal reads a program's standard error: "<priority>message\n", with the
// line breaks inside the message turned into blanks so that it stays one entry.
std::string JournalLine(LogLevel level, std::string_view message);

}  // namespace nv
