#pragma once
#include <string_view>

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

// Makes `sink` the one in use (nullptr: the platform's own again) and returns the previous one,
// or nullptr when that was the platform's own.
LogSink* SetLogSink(LogSink* sink);
LogSink& PlatformLogSink();

// One line as the journal reads a program's standard error: "<priority>message\n", with the
// line breaks inside the message turned into blanks so that it stays one entry.
std::string JournalLine(LogLevel level, std::string_view message);

}  // namespace nv
