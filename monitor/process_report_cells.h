#pragma once
#include <array>
#include <string>

#include "engine/process_list.h"

namespace nv {

constexpr int kProcessReportColumns = 8;
using ProcessReportRow = std::array<std::string, kProcessReportColumns>;

// The column captions of the process report, in column order.
const ProcessReportRow& ProcessReportCaptions();

// The texts of one process's row, in column order; the first is the row's caption.
ProcessReportRow ProcessReportCells(const TProcess& process);

}  // namespace nv
