#pragma once
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/log.h"

namespace nv::test {

// Takes every logged line while it lives, in place of the platform's sink.
class CapturingLog : public LogSink {
 public:
  struct Line {
    LogLevel level;
    std::string message;
  };

  CapturingLog() : previous_(SetLogSink(this)) {}
  ~CapturingLog() override { SetLogSink(previous_); }
  CapturingLog(const CapturingLog&) = delete;
  CapturingLog& operator=(const CapturingLog&) = delete;

  void Write(LogLevel level, std::string_view message) override { lines.push_back({level, std::string(message)}); }

  // Whether some line holds `text`.
  bool Holds(std::string_view text) const {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const Line& line) { return line.message.find(text) != std::string::npos; });
  }

  std::vector<Line> lines;

 private:
  LogSink* previous_;
};

}  // namespace nv::test
