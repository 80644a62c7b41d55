// Reasons the user is not shown still reach the log.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/memory_tweak.h"
#include "engine/paging_file.h"
#include "fakes/capturing_log.h"
#include "fakes/fake_gauge.h"
#include "fakes/fake_memory.h"
#include "fakes/fake_paging.h"
#include "fakes/fake_registry.h"

namespace nv {
namespace {

TEST(FailureLog, AFailureHandledWithoutItsReasonLogsTheReason) {
  struct Services {
    test::FakeRegistry registry;
    test::FakePagingConfiguration paging;
    test::FakeMemory memory;
    test::FakeGauge gauge;
  };
  struct Case {
    const char* what;
    std::function<void(Services&)> fail;
    std::string reason;
  };
  const auto setPaging = [](Services& s) { EXPECT_FALSE(ConfigureSystemManagedPaging(s.registry, s.paging)); };
  const auto tweak = [](Services& s, bool whole) {
    s.memory.refuseFromCall = 1;
    MemoryTweak tweaks(s.memory, [](const std::string&) {});
    whole ? tweaks.TweakWholeRam(16 << 20, s.gauge) : tweaks.TweakByBlocks(4, s.gauge);
  };
  const Case cases[] = {
      {"the system's paging configuration refused", [&](Services& s) {
         s.paging.fails = true;
         setPaging(s);
       }, "the system configuration refused"},
      {"the paging key refused", [&](Services& s) {
         s.registry.refusedKeys.insert(test::FakeRegistry::KeyName(RootKey::HKeyLocalMachine, kMemoryManagementKey));
         setPaging(s);
       }, "is refused"},
      {"the paging value refused", [&](Services& s) {
         s.registry.refusedWrites.insert("pagingfiles");
         setPaging(s);
       }, "the value PagingFiles is refused"},
      {"a tweak block refused part way", [&](Services& s) { tweak(s, false); }, "commit 1 refused"},
      {"the whole-memory block refused", [&](Services& s) {
         s.memory.refuseCommits = true;
         tweak(s, true);
       }, "commit 0 refused"},
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
