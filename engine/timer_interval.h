#pragma once
#include <climits>

namespace nv {

// A timer's interval for a number of seconds, as the settings give it. Stored intervals are not
// range-checked, and a Windows timer of interval 0 never fires, while a 0 ms timer of most
// toolkits fires without pause; so 0, a negative number and one beyond about 24 days give the
// longest interval: the timer counts as running but does not tick.
inline int TimerIntervalMs(int seconds) {
  const long long ms = static_cast<long long>(seconds) * 1000;
  return ms <= 0 || ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

}  // namespace nv
