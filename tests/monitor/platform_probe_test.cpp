#include "monitor/platform_probe.h"

#include <gtest/gtest.h>

#include "fakes/fake_cpu.h"
#include "platform/error.h"

namespace nv {
namespace {

TEST(ProbePlatformVersion, PassesWhenThePlatformIdCanBeRead) {
  test::FakeCpu cpu;
  cpu.platformId = 2;
  EXPECT_NO_THROW(ProbePlatformVersion(cpu));
}

TEST(ProbePlatformVersion, ThrowsTheSystemTextWhenItCannot) {
  test::FakeCpu cpu;
  cpu.platformId = std::nullopt;
  try {
    ProbePlatformVersion(cpu);
    FAIL() << "no error raised";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Can't get the Windows version");
  }
}

}  // namespace
}  // namespace nv
