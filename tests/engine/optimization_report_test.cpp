#include "engine/optimization_report.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace nv {
namespace {

constexpr uint64_t MB = 1048576;

TEST(OptimizationReport, ThreeLinesJoinedByCarriageReturnLineFeed) {
  EXPECT_EQ(OptimizationReport(120 * MB, 348 * MB),
            "Available physical memory before optimizing:120 MB\r\n"
            "Available physical memory after optimizing:348 MB\r\n"
            "Released physical memory after optimizing:228 MB");
}

TEST(OptimizationReport, LessAvailableAfterReleasesNothing) {
  EXPECT_EQ(OptimizationReport(348 * MB, 120 * MB),
            "Available physical memory before optimizing:348 MB\r\n"
            "Available physical memory after optimizing:120 MB\r\n"
            "Released physical memory after optimizing:0 MB");
}

TEST(OptimizationReport, FiguresAboveFourGigabytesAreNotCapped) {
  EXPECT_EQ(OptimizationReport(6000 * MB + 1, 9000 * MB + MB / 2),
            "Available physical memory before optimizing:6000 MB\r\n"
            "Available physical memory after optimizing:9000 MB\r\n"
            "Released physical memory after optimizing:3000 MB");
}

}  // namespace
}  // namespace nv
