// Reasons the user is not shown still reach the log.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/memory_tweak.h"
#include "fakes/capturing_log.h"
#include "fakes/fake_gauge.h"
#include "fakes/fake_memory.h"

namespace nv {
namespace {

TEST(FailureLog, AFailureHandledWithoutItsReasonLogsTheReason) {
  struct Services {
    test::FakeMemory memory;
    test::FakeGauge gauge;
  };
  struct Case {
    const char* what;
    std::function<void(Services&)> fail;
    std::string reason;
  };
  const auto tweak = [](Services& s, bool whole) {
    s.memory.refuseFromCall = 1;
    MemoryTweak tweaks(s.memory, [](const std::string&) {});
    whole ? tweaks.TweakWholeRam(16 << 20, s.gauge) : tweaks.TweakByBlocks(4, s.gauge);
  };
  const Case cases[] = {
      {"a tweak block refused part way", [&](Services& s) { tweak(s, false); }, "commit 1 refused"},
      {"the whole-memory block refused", [&](Services& s) {
         s.memory.refuseCommits = true;
         tweak(s, true);
       }, "commit 0 refused"},
      {"the memory status unreadable before the tweak", [](Services& s) {
         s.memory.statusUnreadable = true;
         MemoryTweak(s.memory, [](const std::string&) {}).RunMemoryTweak(1, s.gauge);
       }, "the memory status is unreadable in this test"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Services services;
    test::CapturingLog log;
    c.fail(services);
    EXPECT_TRUE(log.Holds(c.reason)) << (log.lines.empty() ? "nothing logged" : log.lines.front().message);
  }
}

}  // namespace
}  // namespace nv
