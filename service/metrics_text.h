// The service's figures in Prometheus' text exposition format, for a textfile collector: counters
// end in _total, units are base units (joules, seconds, watts), and every family has its help and
// type. The saving figure is the firmware's own formula, which has no physical unit, so its name
// claims none.
#pragma once

#include <string>

namespace zor {

struct MetricsSnapshot {
  double savingFigure = 0.0;   // INFO.DAT's Total: the saving figure since the start date
  double cpuJoules = 0.0;      // CPU energy measured since the service started
  double savingSeconds = 0.0;  // time with saving on since the service started
  double cpuWatts = 0.0;       // CPU power of the last cycle
  bool saving = false;
  int level = 0;               // 1 (L1, mildest) to 3 (L3, strongest)
  std::string version;         // the service's
  std::string revision;        // the firmware's, "0x21"
  std::string currentSensing;  // "register", "range" or "smbus"
};

// L1 to L3 from the level code in ControlFlags bits 4-7 (an even code counts as L1); 0 for a code
// that names none of them.
int LevelFromCode(int code);

std::string FormatMetrics(const MetricsSnapshot& snapshot);

}  // namespace zor
