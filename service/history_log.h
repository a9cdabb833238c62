// The service's side of the energy history: each cycle adds the CPU energy it measured, and when
// saving the saving figure and its time, to the local hour it belongs to; the history file gets one
// line per hour once the hour is over, and the hour in progress when the service stops. It never
// touches INFO.DAT.
#pragma once

#include <functional>
#include <string>

#include "common/energy_history.h"

namespace zor {

class EnergyHistoryLog {
 public:
  EnergyHistoryLog(std::string path, std::function<HourStamp()> localHour)
      : m_recorder(std::move(path)), m_localHour(std::move(localHour)) {}

  // saving: the saving figure the cycle added, or a negative value when it was not saving.
  void Cycle(double saving, double cpuJoules, double seconds) {
    m_recorder.Add(m_localHour(), saving >= 0 ? saving : 0, saving >= 0 ? seconds : 0, cpuJoules / 3600, seconds);
  }
  void End() { m_recorder.Flush(); }

 private:
  HourlyRecorder m_recorder;
  std::function<HourStamp()> m_localHour;
};

}  // namespace zor
