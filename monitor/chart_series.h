#pragma once
#include <vector>

namespace nv {

// One line of a rolling graph: a fixed number of equally spaced points, oldest first.
class ChartSeries {
 public:
  // n points at x = 0, 1, ... n-1, every one with the value v.
  void Fill(int n, double v) {
    x_.clear();
    y_.clear();
    for (int i = 0; i < n; ++i) {
      x_.push_back(i);
      y_.push_back(v);
    }
  }
  // Drops the oldest point and appends v one step right of the newest.
  void Roll(double v) {
    if (x_.size() < 2) return;
    const double step = x_[1] - x_[0];
    x_.erase(x_.begin());
    y_.erase(y_.begin());
    x_.push_back(x_.back() + step);
    y_.push_back(v);
  }
  int count() const { return static_cast<int>(x_.size()); }
  double x(int i) const { return x_[i]; }
  double y(int i) const { return y_[i]; }

 private:
  std::vector<double> x_, y_;
};

}  // namespace nv
