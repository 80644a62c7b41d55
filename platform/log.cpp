#include "platform/log.h"

#include <atomic>

namespace nv {

namespace {

std::atomic<LogSink*> chosenSink{nullptr};

}  // namespace

LogSink* SetLogSink(LogSink* sink) { return chosenSink.exchange(sink); }

void Log(LogLevel level, std::string_view message) {
  LogSink* sink = chosenSink.load();
  (sink ? *sink : PlatformLogSink()).Write(level, message);
}

void LogFailure(LogLevel level, std::string_view context, const Failure& failure) {
  Log(level, std::string(context) + ": " + failure.reason);
}

void FailureRunLog::Failed(const Failure& failure) {
  if (!failing_) LogFailure(level_, context_, failure);
  failing_ = true;
}

std::string JournalLine(LogLevel level, std::string_view message) {
  std::string line = "<" + std::to_string(static_cast<int>(level)) + ">";
  for (char c : message) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
  line.push_back('\n');
  return line;
}

}  // namespace nv
