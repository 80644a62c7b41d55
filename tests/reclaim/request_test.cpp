#include <gtest/gtest.h>

#include "platform/linux/reclaim/reclaim_protocol.h"
#include "reclaim/request.h"

namespace nv::reclaim {
namespace {

TEST(HelperRequest, ReadsTheAdviceAndEveryPid) {
  struct Case {
    std::vector<std::string_view> args;
    ReclaimAdvice advice;
    bool all;
    std::vector<uint32_t> pids;
  } const cases[] = {
      {{"pageout", "all"}, ReclaimAdvice::PageOut, true, {}},
      {{"cold", "all"}, ReclaimAdvice::Cold, true, {}},
      {{"pageout", "0", "1", "4194304"}, ReclaimAdvice::PageOut, false, {0, 1, 4194304}},
      {{"cold", "0007", "7"}, ReclaimAdvice::Cold, false, {7}},
      {{"pageout", "9", "3", "9", "3", "9"}, ReclaimAdvice::PageOut, false, {3, 9}},
  };
  for (const Case& c : cases) {
    Request request;
    EXPECT_EQ(ParseRequest(c.args, request), "") << c.args[1];
    EXPECT_EQ(request.advice, c.advice);
    EXPECT_EQ(request.allProcesses, c.all);
    EXPECT_EQ(request.pids, c.pids);
  }
}

TEST(HelperRequest, RefusesAnythingButPlainPidsWithinTheKernelsRange) {
  const std::vector<std::vector<std::string_view>> refused = {
      {},
      {"pageout"},
      {"PageOut", "12"},
      {"willneed", "12"},
      {"pageout", "-1"},
      {"pageout", "+1"},
      {"pageout", " 1"},
      {"pageout", "1 "},
      {"pageout", "0x10"},
      {"pageout", "1e3"},
      {"pageout", ""},
      {"pageout", "4194305"},
      {"pageout", "18446744073709551617"},
      {"pageout", "12", "all"},
      {"pageout", "all", "12"},
      {"cold", "12", "x"},
  };
  for (const auto& args : refused) {
    Request request;
    request.pids = {99};
    EXPECT_NE(ParseRequest(args, request), "") << (args.size() > 1 ? args[1] : "(short)");
    EXPECT_EQ(request.pids, std::vector<uint32_t>{99}) << "a refused request leaves nothing behind";
  }
}

TEST(HelperResultLine, CarriesEveryFigureBothWays) {
  ReclaimOutcome outcome;
  outcome.advised = 4000000000u;
  outcome.skippedGone = 1;
  outcome.skippedDenied = 2;
  outcome.skippedOther = 3;
  outcome.bytesPagedOut = 18446744073709551615u;
  const std::string line = FormatResultLine(outcome);
  EXPECT_EQ(line, "advised=4000000000 skipped_gone=1 skipped_denied=2 skipped_other=3 paged_out_bytes=18446744073709551615");
  ReclaimOutcome read;
  ASSERT_TRUE(ParseResultLine(line, read));
  EXPECT_EQ(read.advised, outcome.advised);
  EXPECT_EQ(read.skippedGone, 1u);
  EXPECT_EQ(read.skippedDenied, 2u);
  EXPECT_EQ(read.skippedOther, 3u);
  EXPECT_EQ(read.bytesPagedOut, outcome.bytesPagedOut);
  EXPECT_FALSE(read.privilegeMissing);
}

TEST(HelperResultLine, RefusesALineThatIsNotOneOfItsOwn) {
  const std::string_view good = "advised=1 skipped_gone=0 skipped_denied=0 skipped_other=0 paged_out_bytes=5";
  for (const std::string_view line : {
           std::string_view(""),
           good.substr(0, good.size() - 1),
           std::string_view("advised=1 skipped_gone=0 skipped_denied=0 skipped_other=0 paged_out_bytes=5 extra=1"),
           std::string_view("advised=4294967296 skipped_gone=0 skipped_denied=0 skipped_other=0 paged_out_bytes=5"),
           std::string_view("advised=-1 skipped_gone=0 skipped_denied=0 skipped_other=0 paged_out_bytes=5"),
           std::string_view("skipped_gone=0 advised=1 skipped_denied=0 skipped_other=0 paged_out_bytes=5"),
           std::string_view("advised=1  skipped_gone=0 skipped_denied=0 skipped_other=0 paged_out_bytes=5"),
           std::string_view("advised=1 skipped_gone=0 skipped_denied=0 skipped_other=0 paged_out_bytes=5x"),
       }) {
    ReclaimOutcome outcome;
    outcome.advised = 7;
    EXPECT_FALSE(ParseResultLine(line, outcome)) << line;
    EXPECT_EQ(outcome.advised, 7u);
  }
  ReclaimOutcome outcome;
  EXPECT_TRUE(ParseResultLine(good, outcome));
}

}  // namespace
}  // namespace nv::reclaim
