#pragma once
#include <cstdint>
#include <string>

namespace nv {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The figure printed on the tray icon: free megabytes right-aligned in three places, and from
// 10,000 MB on the nearest whole gigabytes followed by "G" (23,300 MB: "23G").
std::string TrayIconFigure(uint64_t freeMegabytes);

// One of the three bars: two pixel rows from `topRow`, the value part from x = 0 to width - 1
// over a full-width background.
struct TrayIconBar {
  int topRow = 0;
  int width = 0;  // 0 to 16
  Rgb colour;
};

inline constexpr int kTrayIconSize = 16;
inline constexpr Rgb kTrayBarBackground{166, 202, 240};

// The bars in drawing order: physical memory, paging file, CPU.
struct TrayIconBars {
  TrayIconBar physical, pageFile, cpu;
};

// Ratios in extended precision, as the memory figures give them; CPU usage in percent.
TrayIconBars MakeTrayIconBars(long double usedPhysRatio, long double usedPageFileRatio, double cpuUsage);

}  // namespace nv
