#include "monitor/status_texts.h"

#include <gtest/gtest.h>

#include "fakes/fake_memory.h"

namespace nv {
namespace {

using test::FakeMemory;

TEST(StatusLineMemoryText, KilobytesRoundedDownEndingWithABlank) {
  EXPECT_EQ(StatusLineMemoryText(FakeMemory::StatusMB(512, 200, 1200, 900)),
            "PM:204800K/524288K PF:921600K/1228800K ");
  MemoryStatusEx odd;
  odd.ullTotalPhys = 2047;
  odd.ullAvailPhys = 1023;
  odd.ullTotalPageFile = uint64_t{64} << 30;  // above 32 bits
  odd.ullAvailPageFile = 1024;
  EXPECT_EQ(StatusLineMemoryText(odd), "PM:0K/1K PF:1K/67108864K ");
}

TEST(TrayTooltipText, FreeOfTotalInWholeMegabytes) {
  MemoryStatusEx s;
  s.ullTotalPhys = 1610612736;
  s.ullAvailPhys = 805306368;
  EXPECT_EQ(TrayTooltipText(s), "768 MB free of 1536 MB physical memory");
  s.ullTotalPhys = 1073217536;  // 1023.5 MB is never rounded up
  s.ullAvailPhys = 1048575;
  EXPECT_EQ(TrayTooltipText(s), "0 MB free of 1023 MB physical memory");
}

}  // namespace
}  // namespace nv
