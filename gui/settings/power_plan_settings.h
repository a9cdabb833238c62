// Windows power plans and the monitor and disk time-outs of plan 4. Settings change only through
// the system's powercfg command; the registry tells what is in force.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "common/firmware.h"
#include "gui/settings/main_state.h"
#include "gui/settings/settings_exit.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/registry.h"

namespace zor {

constexpr int kPlanBalanced = 4;
constexpr int kPlanHighPerformance = 3;
constexpr int kPlanPowerSaver = 2;
constexpr int kReadBackAttempts = 10;              // bound of every set-and-read-back loop
constexpr uint32_t kCommandWaitMs = 10000;         // each powercfg command, at most
// A recorded time-out that could not be read; the set operations refuse it, so a restore never
// turns an unknown time-out into "never".
constexpr int kTimeoutUnknown = -1;

class PowerPlanSettings {
 public:
  // systemDirectory is where powercfg lives.
  PowerPlanSettings(MainState& state, Registry& registry, Processes& processes, MessageBoxes& boxes,
                    fw::Sleeper& sleeper, std::string systemDirectory, SettingsExit& exit)
      : m_state(state),
        m_registry(registry),
        m_processes(processes),
        m_boxes(boxes),
        m_sleeper(sleeper),
        m_systemDirectory(std::move(systemDirectory)),
        m_exit(exit) {}

  enum class Timeout { Disk, Monitor };

  // Time-outs in minutes; 0 = never.
  bool GetActivePowerPlan(int* plan);
  bool SetActivePowerPlan(int plan);
  bool GetDiskTimeout(int plan, int* minutes) { return GetTimeout(Timeout::Disk, plan, minutes); }
  bool SetDiskTimeout(int plan, int minutes) { return SetTimeout(Timeout::Disk, plan, minutes); }
  bool GetMonitorTimeout(int plan, int* minutes) {
    return GetTimeout(Timeout::Monitor, plan, minutes);
  }
  bool SetMonitorTimeout(int plan, int minutes) {
    return SetTimeout(Timeout::Monitor, plan, minutes);
  }
  // Sets a time-out of plan 4 and reads it back, again until it matches, a bounded number of times.
  void SetTimeoutVerified(Timeout which, int minutes);
  void ShowSystemError(unsigned long code);

  // Records the active plan and the time-outs of plan 4 in m_nSavedScheme, m_nSavedDiskTimeout and
  // m_nSavedMonitorTimeout; a time-out that cannot be read is kept as kTimeoutUnknown.
  void RecordUserPowerSettings();
  // Gives the recorded plan and time-outs back, also after an exit request.
  void RestoreUserPowerSettings();

 private:
  bool GetTimeout(Timeout which, int plan, int* minutes);
  bool SetTimeout(Timeout which, int plan, int minutes);
  bool RunSystemCommand(const std::string& tail);

  MainState& m_state;
  Registry& m_registry;
  Processes& m_processes;
  MessageBoxes& m_boxes;
  fw::Sleeper& m_sleeper;
  std::string m_systemDirectory;
  SettingsExit& m_exit;
};

}  // namespace zor
