// The program's side of the helper: every way a helper or pkexec can answer, played by small
// scripts in the helper's place.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>

#include "platform/linux/reclaim/helper_reclaimer.h"
#include "platform/temp_folder.h"

namespace nv {
namespace {

using namespace std::chrono_literals;

constexpr const char* kResult = "advised=2 skipped_gone=0 skipped_denied=1 skipped_other=0 paged_out_bytes=8192";

class HelperReclaimerTest : public ::testing::Test {
 protected:
  // A script at `name` in the scratch folder that runs `body` with sh.
  std::string Script(const std::string& name, const std::string& body) {
    const std::string path = folder_ / name;
    test::WriteText(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }

  test::TempFolder folder_;
};

TEST_F(HelperReclaimerTest, AHelperThatDoesNotGiveItsResultIsAFailureWithItsReasonNeverNothingPagedOut) {
  struct Case {
    const char* what;
    std::string body;
    std::string failure;  // after "Nothing was trimmed: the helper PATH"
  } const cases[] = {
      {"answers", std::string("echo '") + kResult + "'", ""},
      {"hangs", "exec sleep 30", " did not answer in time and was stopped."},
      {"stops itself", "kill -STOP $$", " did not answer in time and was stopped."},
      {"crashes", "kill -SEGV $$", " ended with signal 11."},
      {"says something else", "echo 'advised=many'", " gave an answer that is not a result: advised=many"},
      {"answers twice", std::string("echo '") + kResult + "'; echo '" + kResult + "'",
       std::string(" gave an answer that is not a result: ") + kResult},
      {"refuses", "echo 'cannot run a pass: too few files'; exit 6",
       " refused (exit code 6): cannot run a pass: too few files"},
      {"cannot even start", "exit 127", " refused (exit code 127) without a reason."},
  };
  for (const Case& c : cases) {
    const std::string helper = Script("helper", c.body);
    HelperReclaimer reclaimer(helper, "/nonexistent/pkexec", 500ms);
    const auto started = std::chrono::steady_clock::now();
    const ReclaimOutcome outcome = reclaimer.Advise({11, 12, 13}, ReclaimAdvice::PageOut);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << c.what;
    EXPECT_FALSE(outcome.privilegeMissing) << c.what;
    if (c.failure.empty()) {
      EXPECT_EQ(outcome.failure, "") << c.what;
      EXPECT_EQ(outcome.advised, 2u) << c.what;
      EXPECT_EQ(outcome.bytesPagedOut, 8192u) << c.what;
    } else {
      EXPECT_EQ(outcome.failure, "Nothing was trimmed: the helper " + helper + c.failure) << c.what;
      EXPECT_EQ(outcome.advised, 0u) << c.what;
      EXPECT_EQ(outcome.skippedOther, 3u) << c.what;
    }
  }
}

// Machine-wide advice goes through pkexec; when polkit does not authorize it, the user's own
// processes are still advised by the helper alone, and the outcome says the rest were left.
TEST_F(HelperReclaimerTest, MachineWideAdviceFallsBackToTheUsersOwnWhenPkexecIsNotAuthorized) {
  const std::string helper = Script("helper", std::string("echo '") + kResult + "'");
  struct Case {
    const char* what;
    std::string pkexecBody;  // empty: no pkexec at all
    uint32_t advised;
    std::string leftAlone;
  } const cases[] = {
      {"authorized", "shift 0; exec \"$@\"", 2, ""},
      {"refused or no agent", "exit 127", 2,
       "Other users' and system programs were left alone: polkit did not authorize it (refused, or no "
       "authentication agent is running)."},
      {"dismissed", "exit 126", 2,
       "Other users' and system programs were left alone: the administrator's authentication was cancelled."},
      {"missing", "", 2, ""},
  };
  for (const Case& c : cases) {
    const std::string pkexec = c.pkexecBody.empty() ? folder_ / "none" : Script("pkexec", c.pkexecBody);
    HelperReclaimer reclaimer(helper, pkexec, 5s, 5s);
    const ReclaimOutcome outcome = reclaimer.AdviseMachineWide({11, 12, 13}, ReclaimAdvice::Cold);
    EXPECT_EQ(outcome.advised, c.advised) << c.what;
    EXPECT_EQ(outcome.failure, "") << c.what;
    if (c.pkexecBody.empty())
      EXPECT_EQ(outcome.othersLeftAlone.rfind("Other users' and system programs were left alone: pkexec, which asks "
                                              "polkit for an administrator's consent, could not be started", 0),
                0u)
          << outcome.othersLeftAlone;
    else
      EXPECT_EQ(outcome.othersLeftAlone, c.leftAlone) << c.what;
  }
}

}  // namespace
}  // namespace nv
