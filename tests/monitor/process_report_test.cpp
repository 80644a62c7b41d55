#include "monitor/process_report.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace nv {
namespace {

// A list that records what it shows and how many cells were written.
class RecordedRows : public ReportRows {
 public:
  std::vector<ProcessReportRow> rows;
  int cellWrites = 0;

  void SetCell(int row, int column, const std::string& text) override {
    rows.at(row).at(column) = text;
    ++cellWrites;
  }
  void DeleteRows(const std::vector<int>& gone) override {
    ASSERT_TRUE(std::is_sorted(gone.begin(), gone.end()));
    for (auto it = gone.rbegin(); it != gone.rend(); ++it) rows.erase(rows.begin() + *it);
  }
  void AppendRows(const std::vector<const ProcessReportRow*>& added) override {
    for (const auto* texts : added) rows.push_back(*texts);
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& r : rows) names.push_back(r[0]);
    return names;
  }
};

ReportEntry Entry(uint32_t pid, const std::string& name, const std::string& mem = "100 K") {
  return {pid, {name, std::to_string(pid), mem, "200 K", "5", "Standard", "1", "/usr/bin/" + name}};
}

using Names = std::vector<std::string>;

TEST(ProcessReport, FirstUpdateListsTheSnapshotInItsOrder) {
  RecordedRows list;
  ProcessReport report(list);
  EXPECT_EQ(report.Update({Entry(30, "c"), Entry(10, "a"), Entry(20, "b")}), 3);
  EXPECT_EQ(list.Names(), (Names{"c", "a", "b"}));
  EXPECT_EQ(list.rows[1], Entry(10, "a").texts);
}

TEST(ProcessReport, LivingProcessesKeepTheirRowsWhateverTheSnapshotOrder) {
  RecordedRows list;
  ProcessReport report(list);
  report.Update({Entry(1, "a"), Entry(2, "b"), Entry(3, "c")});
  list.cellWrites = 0;
  report.Update({Entry(3, "c", "300 K"), Entry(1, "a"), Entry(2, "b", "7 K")});
  EXPECT_EQ(list.Names(), (Names{"a", "b", "c"}));
  EXPECT_EQ(list.rows[1][2], "7 K");
  EXPECT_EQ(list.rows[2][2], "300 K");
  EXPECT_EQ(list.cellWrites, 2) << "unchanged cells are left alone";
}

TEST(ProcessReport, NewProcessesGoToTheBottomAndEndedOnesLeave) {
  RecordedRows list;
  ProcessReport report(list);
  report.Update({Entry(1, "a"), Entry(2, "b"), Entry(3, "c"), Entry(4, "d")});
  EXPECT_EQ(report.Update({Entry(9, "new1"), Entry(4, "d"), Entry(1, "a"), Entry(3, "c"), Entry(8, "new2")}), 5);
  EXPECT_EQ(list.Names(), (Names{"a", "c", "d", "new1", "new2"}));
  // The next refresh finds the moved rows by their identifiers.
  report.Update({Entry(8, "new2", "1 K"), Entry(3, "c", "2 K")});
  EXPECT_EQ(list.Names(), (Names{"c", "new2"}));
  EXPECT_EQ(list.rows[0][2], "2 K");
  EXPECT_EQ(list.rows[1][2], "1 K");
}

TEST(ProcessReport, ReusedIdentifierKeepsTheRowWithTheNewProcess) {
  RecordedRows list;
  ProcessReport report(list);
  report.Update({Entry(1, "a"), Entry(2, "old"), Entry(3, "c")});
  report.Update({Entry(1, "a"), Entry(2, "new"), Entry(3, "c")});
  EXPECT_EQ(list.Names(), (Names{"a", "new", "c"}));
  EXPECT_EQ(list.rows[1].back(), "/usr/bin/new");
}

TEST(ProcessReport, AnIdentifierTwiceInOneSnapshotMakesOneRowWithTheLaterTexts) {
  RecordedRows list;
  ProcessReport report(list);
  report.Update({Entry(5, "x"), Entry(6, "y"), Entry(5, "z")});
  EXPECT_EQ(list.Names(), (Names{"z", "y"}));
  report.Update({Entry(6, "y"), Entry(6, "w")});
  EXPECT_EQ(list.Names(), (Names{"w"}));
}

TEST(ProcessReport, EmptySnapshotEmptiesTheList) {
  RecordedRows list;
  ProcessReport report(list);
  report.Update({Entry(1, "a"), Entry(2, "b")});
  EXPECT_EQ(report.Update({}), 0);
  EXPECT_TRUE(list.rows.empty());
  EXPECT_EQ(report.Update({Entry(2, "b")}), 1);
  EXPECT_EQ(list.Names(), (Names{"b"}));
}

TEST(ProcessReport, CountTextHasNoBlankAfterTheColon) {
  EXPECT_EQ(ProcessCountText(0), "Process number:0");
  EXPECT_EQ(ProcessCountText(213), "Process number:213");
}

}  // namespace
}  // namespace nv
