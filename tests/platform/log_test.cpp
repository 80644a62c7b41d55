#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/log.h"

namespace nv {
namespace {

TEST(JournalLine, CarriesThePriorityAndStaysOneLine) {
  struct Row {
    LogLevel level;
    const char* message;
    const char* line;
  } rows[] = {
      {LogLevel::Error, "Cannot write /etc/x", "<3>Cannot write /etc/x\n"},
      {LogLevel::Warning, "w", "<4>w\n"},
      {LogLevel::Info, "", "<6>\n"},
      {LogLevel::Debug, "two\nlines\r\n", "<7>two lines  \n"},
  };
  for (const auto& row : rows) EXPECT_EQ(JournalLine(row.level, row.message), row.line) << row.message;
}

// Runs `log` in a child whose standard error is `stderrFd`; true when the child came back
// by itself within a few seconds.
bool LogsInChild(int stderrFd, const std::function<void()>& log) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(5);  // a write that blocks ends the child by the signal
    ::dup2(stderrFd, STDERR_FILENO);
    log();
    ::_exit(0);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Drain(int fd) {
  std::string text;
  char buffer[256];
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(got));
  return text;
}

TEST(PlatformLog, PrefixesThePriorityOnlyWhenStandardErrorIsTheJournalsStream) {
  int journal[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, journal), 0);
  struct stat st {};
  ASSERT_EQ(::fstat(journal[0], &st), 0);
  const std::string stream = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  struct Case {
    const char* what;
    const char* journalStream;
    std::string line;
  } cases[] = {
      {"run by systemd", stream.c_str(), "<4>the reason\n"},
      {"a stream of another process's journal", "1:2", std::string(program_invocation_short_name) + ": the reason\n"},
      {"run from a terminal", nullptr, std::string(program_invocation_short_name) + ": the reason\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(LogsInChild(journal[0], [&] {
      c.journalStream ? ::setenv("JOURNAL_STREAM", c.journalStream, 1) : ::unsetenv("JOURNAL_STREAM");
      SetLogSink(nullptr);
      Log(LogLevel::Warning, "the reason");
    }));
    ::fcntl(journal[1], F_SETFL, O_NONBLOCK);
    EXPECT_EQ(Drain(journal[1]), c.line);
  }
  ::close(journal[0]);
  ::close(journal[1]);
}

TEST(PlatformLog, AReaderThatStoppedReadingDoesNotHoldTheProgram) {
  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK), 0);
  const std::string block(4096, 'x');
  while (::write(pipeFds[1], block.data(), block.size()) > 0) {
  }
  ASSERT_EQ(errno, EAGAIN);
  ::fcntl(pipeFds[1], F_SETFL, 0);  // as a blocking standard error would be
  EXPECT_TRUE(LogsInChild(pipeFds[1], [] {
    SetLogSink(nullptr);
    for (int line = 0; line < 3; ++line) Log(LogLevel::Error, "nobody reads this");
  }));
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
}

}  // namespace
}  // namespace nv
