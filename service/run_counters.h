// What the service counts from its own start, cycle by cycle: the CPU energy it measures (the power
// of each cycle held for the cycle's time) and the time spent with the firmware's saving on. Unlike
// INFO.DAT's figures these never go back (no reset, no wrap), so they serve as counters.
#pragma once

#include <cmath>

namespace zor {

class RunCounters {
 public:
  // watts: the power the cycle measured (the last good one when its readings failed).
  void Cycle(double watts, bool saving, double seconds) {
    if (std::isfinite(watts) && watts > 0.0) m_cpuJoules += watts * seconds;
    if (saving) m_savingSeconds += seconds;
  }
  double CpuJoules() const { return m_cpuJoules; }
  double SavingSeconds() const { return m_savingSeconds; }

 private:
  double m_cpuJoules = 0.0;
  double m_savingSeconds = 0.0;
};

}  // namespace zor
