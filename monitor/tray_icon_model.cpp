#include "monitor/tray_icon_model.h"

#include <cmath>

namespace nv {

namespace {

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kOrange{255, 128, 64};
constexpr Rgb kPurple{128, 0, 128};
constexpr Rgb kGreen{0, 128, 0};

// Truncates toward zero and keeps the result on the icon. Values beyond the edge would be cut
// by the drawing anyway; holding them here also keeps a missing total (a NaN or infinite
// ratio) from reaching an integer conversion.
int BarWidth(long double pixels) {
  if (!(pixels > 0)) return 0;
  if (pixels >= kTrayIconSize) return kTrayIconSize;
  return static_cast<int>(pixels);
}

}  // namespace

std::string TrayIconFigure(uint64_t freeMegabytes) {
  constexpr uint64_t kFirstInGigabytes = 10000;
  std::string figure = freeMegabytes < kFirstInGigabytes ? std::to_string(freeMegabytes)
                                                          : std::to_string((freeMegabytes + 512) / 1024) + "G";
  if (figure.size() < 3) figure.insert(0, 3 - figure.size(), ' ');
  return figure;
}

TrayIconBars MakeTrayIconBars(long double usedPhysRatio, long double usedPageFileRatio, double cpuUsage) {
  TrayIconBars bars;
  bars.physical = {13, BarWidth(std::trunc(usedPhysRatio * 16)), usedPhysRatio <= 0.8L ? kOrange : kRed};
  bars.pageFile = {11, BarWidth(std::trunc(usedPageFileRatio * 16)), usedPageFileRatio <= 0.8L ? kPurple : kRed};
  // The CPU width truncates twice: the sixteenths first, then the division by 100.
  const long double sixteenths = std::trunc(static_cast<long double>(cpuUsage) * 16);
  bars.cpu = {9, BarWidth(std::trunc(sixteenths / 100)), cpuUsage <= 80 ? kGreen : kRed};
  return bars;
}

}  // namespace nv
