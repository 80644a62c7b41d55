#include "monitor/process_report.h"

namespace nv {

std::vector<ReportEntry> ReportEntries(const TProcessList& snapshot) {
  std::vector<ReportEntry> entries;
  entries.reserve(snapshot.size());
  for (const TProcess& process : snapshot) entries.push_back({process.ProcessID, ProcessReportCells(process)});
  return entries;
}

int ProcessReport::Update(const std::vector<ReportEntry>& snapshot) {
  std::vector<char> stale(shown_.size(), 1);
  std::vector<const ReportEntry*> added;
  for (const ReportEntry& entry : snapshot) {
    const auto found = rowByPid_.find(entry.pid);
    if (found == rowByPid_.end()) {
      // A second entry with the same identifier in one snapshot lands on this row.
      rowByPid_.emplace(entry.pid, static_cast<int>(shown_.size() + added.size()));
      added.push_back(&entry);
      continue;
    }
    const int row = found->second;
    if (row >= static_cast<int>(shown_.size())) {
      added[row - shown_.size()] = &entry;
      continue;
    }
    stale[row] = 0;
    Rewrite(row, entry.texts);
  }
  // New rows are never stale, so deleting first and appending after gives the same rows as
  // appending during the scan and deleting at the end.
  DeleteStaleRows(stale);
  if (!added.empty()) {
    std::vector<const ProcessReportRow*> texts;
    texts.reserve(added.size());
    shown_.reserve(shown_.size() + added.size());  // the pointers handed out must stay valid
    for (const ReportEntry* entry : added) {
      rowByPid_[entry->pid] = static_cast<int>(shown_.size());
      shown_.push_back({entry->pid, entry->texts});
      texts.push_back(&shown_.back().texts);
    }
    rows_.AppendRows(texts);
  }
  return RowCount();
}

void ProcessReport::Rewrite(int row, const ProcessReportRow& texts) {
  ProcessReportRow& shown = shown_[row].texts;
  for (int column = 0; column < kProcessReportColumns; ++column) {
    if (shown[column] == texts[column]) continue;
    shown[column] = texts[column];
    rows_.SetCell(row, column, shown[column]);
  }
}

void ProcessReport::DeleteStaleRows(const std::vector<char>& stale) {
  std::vector<int> gone;
  for (int row = 0; row < static_cast<int>(stale.size()); ++row)
    if (stale[row]) gone.push_back(row);
  if (gone.empty()) return;
  rows_.DeleteRows(gone);
  std::vector<Row> kept;
  kept.reserve(shown_.size() - gone.size());
  for (int row = 0; row < static_cast<int>(shown_.size()); ++row)
    if (!stale[row]) kept.push_back(std::move(shown_[row]));
  shown_ = std::move(kept);
  rowByPid_.clear();
  for (int row = 0; row < static_cast<int>(shown_.size()); ++row) rowByPid_.emplace(shown_[row].pid, row);
}

std::string ProcessCountText(int rows) { return "Process number:" + std::to_string(rows); }

}  // namespace nv
