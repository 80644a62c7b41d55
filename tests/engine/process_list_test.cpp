#include "engine/process_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "fakes/fake_processes.h"
#include "fakes/fake_reclaim.h"

namespace nv {
namespace {

using test::FakeProcesses;
using test::FakeReclaimer;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAreArray;

TEST(PriorityName, LabelsFollowTheBasePriorityTable) {
  const struct {
    int priority;
    const char* label;
  } cases[] = {{0, "Vacant"},     {1, "Low"},       {4, "Low"},       {6, "Low"},      {8, "Standard"},
               {9, "Standard"},   {10, "High"},     {11, "Standard"}, {12, "Very high"}, {13, "Very high"},
               {14, "Real-time"}, {15, "Real-time"}};
  for (const auto& c : cases) {
    std::string text = "previous";
    PriorityName(c.priority, text);
    EXPECT_EQ(text, c.label) << "priority " << c.priority;
  }
}

TEST(PriorityName, UnlabelledValuesLeaveTheTextAsItWas) {
  for (int priority : {7, 16, 24, 31, -1}) {
    std::string text = "previous";
    PriorityName(priority, text);
    EXPECT_EQ(text, "previous") << "priority " << priority;
  }
}

// A table of the cases the snapshot must tell apart: the idle process, a process of another
// user that can only be read, one whose path and counters cannot be read, and this program.
class ProcessSnapshot : public testing::Test {
 protected:
  void SetUp() override {
    auto& idle = fake.Add(0, "[System Process]", ProcessAccess::None, "ignored");
    idle.basePriority = 0;
    idle.counters = {7, 7, 7};
    auto& daemon = fake.Add(812, "sshd", ProcessAccess::QueryOnly, "/usr/sbin/sshd");
    daemon.parent = 1;
    daemon.basePriority = 8;
    daemon.counters = {120, 8 << 20, 6 << 20};
    auto& secretive = fake.Add(900, "secretive", ProcessAccess::Full, "");
    secretive.countersFail = true;
    auto& self = fake.Add(4242, "norvane", ProcessAccess::Full, "/usr/bin/norvane");
    self.parent = 812;
    self.basePriority = 13;
    self.counters = {uint64_t{5} << 32, uint64_t{6} << 32, uint64_t{5} << 32};  // beyond 32 bits
  }

  FakeProcesses fake;
};

TEST_F(ProcessSnapshot, ListsEveryProcessInWalkOrderWithWhatCouldBeRead) {
  TProcessList list;
  SnapshotProcesses(fake, list);
  ASSERT_EQ(list.size(), 4u);

  EXPECT_EQ(list[0].ProcessID, 0u);
  EXPECT_EQ(list[0].ExeName, "[System Process]");
  EXPECT_FALSE(list[0].Handle.valid());
  EXPECT_EQ(list[0].ExePath, "");
  EXPECT_EQ(list[0].WorkingSetSize + list[0].PeakWorkingSetSize + list[0].PageFaultCount, 0u);

  EXPECT_EQ(list[1].Handle.access, ProcessAccess::QueryOnly);
  EXPECT_EQ(list[1].ExePath, "/usr/sbin/sshd");
  EXPECT_EQ(list[1].ParentProcessID, 1u);
  EXPECT_EQ(list[1].BasePriority, 8);
  EXPECT_EQ(list[1].PageFaultCount, 120u);
  EXPECT_EQ(list[1].PeakWorkingSetSize, 8u << 20);
  EXPECT_EQ(list[1].WorkingSetSize, 6u << 20);

  EXPECT_TRUE(list[2].Handle.valid());
  EXPECT_EQ(list[2].ExePath, "");
  EXPECT_EQ(list[2].WorkingSetSize + list[2].PeakWorkingSetSize + list[2].PageFaultCount, 0u);

  EXPECT_EQ(list[3].WorkingSetSize, uint64_t{5} << 32);
  EXPECT_EQ(list[3].PeakWorkingSetSize, uint64_t{6} << 32);
  EXPECT_EQ(list[3].PageFaultCount, uint64_t{5} << 32);
  EXPECT_EQ(list[3].ParentProcessID, 812u);

  CloseProcessHandles(list);
}

TEST_F(ProcessSnapshot, ClosingReleasesEveryHandleOnceAndEmptiesTheList) {
  TProcessList list;
  SnapshotProcesses(fake, list);
  CloseProcessHandles(list);
  EXPECT_THAT(list, IsEmpty());
  EXPECT_EQ(fake.OpenHandles(), 0u);
  EXPECT_THAT(fake.closed, ElementsAre(812u, 900u, 4242u));
  CloseProcessHandles(list);
  EXPECT_EQ(fake.closed.size(), 3u) << "an empty list closes nothing";
  EXPECT_EQ(fake.badCloses, 0);
}

TEST_F(ProcessSnapshot, AListLeftByAnExceptionClosesItsHandles) {
  try {
    TProcessList list;
    SnapshotProcesses(fake, list);
    ASSERT_EQ(fake.OpenHandles(), 3u);
    throw std::runtime_error("between the snapshot and its closing");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(fake.OpenHandles(), 0u);
  EXPECT_THAT(fake.closed, ElementsAre(812u, 900u, 4242u));
  EXPECT_EQ(fake.badCloses, 0);
}

// A moved list hands its handles over whole: each is closed once, by the list that holds it last.
TEST_F(ProcessSnapshot, MovingAListHandsItsHandlesOver) {
  TProcessList held;
  SnapshotProcesses(fake, held);
  {
    TProcessList taken(std::move(held));
    EXPECT_THAT(held, IsEmpty());
    EXPECT_EQ(taken.size(), 4u);
    TProcessList older;
    SnapshotProcesses(fake, older);
    ASSERT_EQ(fake.OpenHandles(), 6u);
    older = std::move(taken);  // closes the handles `older` held before
    EXPECT_EQ(fake.OpenHandles(), 3u);
    EXPECT_EQ(older.size(), 4u);
  }
  EXPECT_EQ(fake.OpenHandles(), 0u);
  EXPECT_EQ(fake.closed.size(), 6u);
  EXPECT_EQ(fake.badCloses, 0);
}

TEST_F(ProcessSnapshot, ASecondSnapshotIntoAHeldListClosesTheOldHandles) {
  TProcessList list;
  SnapshotProcesses(fake, list);
  SnapshotProcesses(fake, list);
  EXPECT_EQ(list.size(), 4u);
  EXPECT_EQ(fake.OpenHandles(), 3u);
  CloseProcessHandles(list);
  EXPECT_EQ(fake.OpenHandles(), 0u);
  EXPECT_EQ(fake.badCloses, 0);
}

TEST_F(ProcessSnapshot, ProcessGoneBetweenWalkAndOpenIsListedWithoutHandle) {
  fake.table[2].access = ProcessAccess::None;  // exited after the walk
  TProcessList list;
  SnapshotProcesses(fake, list);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_FALSE(list[2].Handle.valid());
  EXPECT_EQ(list[2].ExeName, "secretive");
  CloseProcessHandles(list);
}

TEST_F(ProcessSnapshot, FailedWalkLeavesTheListEmptyAndTrimsNothing) {
  fake.walkFails = true;
  TProcessList list;
  SnapshotProcesses(fake, list);
  EXPECT_THAT(list, IsEmpty());
  FakeReclaimer reclaimer;
  EXPECT_EQ(TrimProcessList(fake, reclaimer).advised, 0u);
  EXPECT_THAT(reclaimer.Advised(ReclaimAdvice::PageOut), IsEmpty());
}

// Which processes may be paged out is the reclaimer's to decide (in process as root, through
// the helper otherwise): it is given every pid of the walk, in one call, and nothing is opened.
TEST_F(ProcessSnapshot, TrimProcessListGivesEveryPidToTheReclaimerInOneCall) {
  FakeReclaimer reclaimer;
  EXPECT_EQ(TrimProcessList(fake, reclaimer).advised, 4u);
  ASSERT_EQ(reclaimer.calls.size(), 1u);
  EXPECT_THAT(reclaimer.Advised(ReclaimAdvice::PageOut), ElementsAre(0u, 812u, 900u, 4242u));
  EXPECT_THAT(fake.opened, IsEmpty());
}

TEST(ProcessSnapshotNames, ExeNameIsCutAt260Characters) {
  FakeProcesses fake;
  fake.Add(7, std::string(300, 'n'));
  TProcessList list;
  SnapshotProcesses(fake, list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].ExeName, std::string(260, 'n'));
  CloseProcessHandles(list);
}

}  // namespace
}  // namespace nv
