#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/process_list.h"
#include "monitor/process_report_cells.h"

namespace nv {

// One process of a snapshot as the report shows it.
struct ReportEntry {
  uint32_t pid = 0;
  ProcessReportRow texts;
};

// The snapshot's processes as rows, in snapshot order.
std::vector<ReportEntry> ReportEntries(const TProcessList& snapshot);

// The rows of a report-style list as the update sees them; the shell backs it with its list
// widget. Rows are numbered from the top, from 0.
class ReportRows {
 public:
  virtual ~ReportRows() = default;
  virtual void SetCell(int row, int column, const std::string& text) = 0;
  // Removes the listed rows (given top to bottom); the rows below move up.
  virtual void DeleteRows(const std::vector<int>& rows) = 0;
  // Adds rows at the bottom, in the order given.
  virtual void AppendRows(const std::vector<const ProcessReportRow*>& rows) = 0;
};

// Keeps a list's rows in step with the latest process snapshot, in place: a process that
// lives on keeps its row and its place (so selection and scroll position stay), new
// processes are added at the bottom in snapshot order, rows of ended processes go. A
// process identifier reused by a new process keeps the old row with the new texts.
//
// Rows are found through an index by identifier, so a refresh stays linear in the number of
// processes; only the cells whose text changed are written to the list.
class ProcessReport {
 public:
  explicit ProcessReport(ReportRows& rows) : rows_(rows) {}

  // Returns the number of rows afterwards.
  int Update(const std::vector<ReportEntry>& snapshot);

  int RowCount() const { return static_cast<int>(shown_.size()); }

 private:
  struct Row {
    uint32_t pid;
    ProcessReportRow texts;
  };
  void Rewrite(int row, const ProcessReportRow& texts);
  void DeleteStaleRows(const std::vector<char>& stale);

  ReportRows& rows_;
  std::vector<Row> shown_;                      // what the list holds, top to bottom
  std::unordered_map<uint32_t, int> rowByPid_;  // into shown_
};

// "Process number:" and the count, as the status line shows it.
std::string ProcessCountText(int rows);

}  // namespace nv
