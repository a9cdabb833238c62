// zor2's settings operations: firmware writes, rails and level application, Windows power plans,
// graphics clock and fan curve, advanced settings, service management and the restart. They work on
// the main window's MainState and reach the system only through the ports in SettingsPorts.
//
// Where the program must end (a failed firmware buffer, a missing vendor library), the operation
// shows its message box through the port, records the exit code and returns false; from then on
// ExitRequested() is true and every operation that would write the firmware, change a Windows
// setting, start a program or restart does nothing and returns false. The host ends the process
// with ExitCode(); tests read it.
//
// The operations do not lock: the caller holds Lock() (the level worker does so for each level) so
// that two of them never touch the firmware or the power settings at once.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "common/firmware.h"
#include "common/service_name.h"
#include "gui/app/main_state.h"
#include "gui/settings/power_plan_settings.h"
#include "gui/settings/restart_control.h"
#include "gui/settings/service_settings.h"
#include "gui/settings/settings_exit.h"
#include "gui/settings/vendor_settings.h"
#include "platform/hwk.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/service_manager.h"
#include "platform/shutdown.h"
#include "platform/vendor_libraries.h"

namespace zor {

struct SettingsPorts {
  Hwk& hwk;
  Registry& registry;
  Processes& processes;
  ServiceManager& services;
  MessageBoxes& boxes;
  Shutdown& shutdown;
  VendorLibraries& vendors;
  fw::Sleeper& sleeper;
  std::string systemDirectory;  // where powercfg lives
  // [SETTING] key of INFO.DAT with its default, capacity 255.
  std::function<std::string(const std::string& key, const std::string& def)> readSetting;
};

class SettingsControl {
 public:
  SettingsControl(MainState& state, SettingsPorts ports);

  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(m_mutex); }
  bool ExitRequested() const { return m_exit.Requested(); }
  int ExitCode() const { return m_exit.Code(); }
  MainState& State() { return m_state; }

  // ---- Firmware writes ----
  bool SetVoltSatae(int level);
  bool SetVoltSataeFlags(uint16_t flags);
  bool SetBiosAuto(bool on, bool toggle3D);
  bool SetLedBit(bool on);
  bool ReapplyAuto();  // bit 11 of the flags after the re-apply
  bool GetPowerItemValue(uint16_t* value);
  bool SetPowerItemValue(uint16_t value);
  bool UpdataBiosSetting(uint16_t value);

  // ---- Windows power plans and time-outs (minutes; 0 = never) ----
  bool GetActivePowerPlan(int* plan) { return m_plans.GetActivePowerPlan(plan); }
  bool SetActivePowerPlan(int plan) { return m_plans.SetActivePowerPlan(plan); }
  bool GetDiskTimeout(int plan, int* minutes) { return m_plans.GetDiskTimeout(plan, minutes); }
  bool SetDiskTimeout(int plan, int minutes) { return m_plans.SetDiskTimeout(plan, minutes); }
  bool GetMonitorTimeout(int plan, int* minutes) {
    return m_plans.GetMonitorTimeout(plan, minutes);
  }
  bool SetMonitorTimeout(int plan, int minutes) { return m_plans.SetMonitorTimeout(plan, minutes); }
  void RecordUserPowerSettings() { m_plans.RecordUserPowerSettings(); }
  // The recorded plan and time-outs, and the graphics clock at full speed.
  void RestoreUserPowerSettings();

  // ---- Graphics clock and fan curve ----
  bool LoadGraphicsClock() { return m_vendor.LoadGraphicsClock(); }
  bool SetGraphicsClockSaving(bool low) { return m_vendor.SetGraphicsClockSaving(low); }
  bool ReadFanCurveState(bool* energy) { return m_vendor.ReadFanCurveState(energy); }
  bool WriteFanCurve(bool energy) { return m_vendor.WriteFanCurve(energy); }

  // ---- Service ----
  void EnsureServiceRunning() { m_service.EnsureServiceRunning(); }
  bool StartSaverService() { return m_service.StartSaverService(); }
  void RunServiceInstaller() { m_service.RunServiceInstaller(); }

  // ---- Restart ----
  int RestartSystem() { return m_restart.RestartSystem(); }
  int EnablePrivilege(const std::string& name) { return m_restart.EnablePrivilege(name); }
  int DisablePrivilege(const std::string& name) { return m_restart.DisablePrivilege(name); }

  // ---- Rails and levels ----
  bool LoadRailBases();
  bool SetRailTarget(int index, uint32_t reduction, bool useBase);
  bool ApplyRails(int level);
  // The level application of a level button: time-outs, rails, graphics clock, PowerItem, level.
  void ApplyLevel(int level);

  // ---- Advanced settings ----
  bool ApplyAdvancedSettings();
  bool IsRailReduced(int index, bool* reduced);
  bool GetLowPowerState(bool* offered, bool* on);
  bool IsThrottlingOn(bool* on);
  bool IsLowPowerStateOn(bool* on);

  // ---- Advanced settings command ----
  // Switches the firmware's low-power state over (the ROM setting); takes effect at restart.
  void ToggleLowPowerState();

 private:
  bool CommitRails();
  bool SubmitFlags(uint16_t flags, bool autoOffWord, const char* failureText);
  uint16_t ControlFlags() const;
  uint16_t StatusFlags() const;
  MemoryView RailTable() const;

  MainState& m_state;
  SettingsPorts m_ports;
  std::mutex m_mutex;
  SettingsExit m_exit;
  PowerPlanSettings m_plans;
  VendorSettings m_vendor;
  ServiceSettings m_service;
  RestartControl m_restart;
};

}  // namespace zor
