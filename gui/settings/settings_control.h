// zor2's settings control: the face over the settings pieces, each of which reaches the system
// only through its own ports (from SettingsPorts) and works on the main window's MainState:
//   FirmwareSettings   firmware writes, the PowerItem, the ROM setting, the level flags
//   RailSettings       voltage rails
//   PowerPlanSettings  Windows power plans and time-outs, recording and giving back the user's
//   VendorSettings     graphics clock and fan curve
//   ServiceSettings    the energy-saving service
//   RestartControl     the restart
// The face owns them and the one exit state they share, and itself runs what spans several: the
// level application, the advanced set and the giving back of the user's settings. An operation
// within one piece is asked of that piece: control.Firmware().SetLedBit(on).
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
#include "gui/settings/firmware_settings.h"
#include "gui/settings/main_state.h"
#include "gui/settings/power_plan_settings.h"
#include "gui/settings/rail_settings.h"
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
  // For what spans the pieces and must wait or tell the user (the advanced command).
  fw::Sleeper& Sleeper() { return m_sleeper; }
  MessageBoxes& Boxes() { return m_boxes; }

  // The pieces, for every operation that stays within one of them.
  FirmwareSettings& Firmware() { return m_firmware; }
  RailSettings& Rails() { return m_rails; }
  PowerPlanSettings& PowerPlans() { return m_plans; }
  VendorSettings& Vendor() { return m_vendor; }
  ServiceSettings& Service() { return m_service; }
  RestartControl& Restart() { return m_restart; }

  // ---- Run by the face: they span several pieces ----
  // The level application of a level button: time-outs, rails, graphics clock, PowerItem, level.
  void ApplyLevel(int level);
  // The user's advanced set from INFO.DAT [SETTING]: time-outs, rails, graphics clock, fan curve,
  // PowerItem, level and throttling.
  void ApplyAdvancedSettings();
  // The recorded plan and time-outs, and the graphics clock at full speed; also after an exit
  // request.
  void RestoreUserPowerSettings();

 private:
  MainState& m_state;
  fw::Sleeper& m_sleeper;
  MessageBoxes& m_boxes;
  std::function<std::string(const std::string& key, const std::string& def)> m_readSetting;
  std::mutex m_mutex;
  SettingsExit m_exit;  // before the pieces, which hold it
  FirmwareSettings m_firmware;
  RailSettings m_rails;
  PowerPlanSettings m_plans;
  VendorSettings m_vendor;
  ServiceSettings m_service;
  RestartControl m_restart;
};

}  // namespace zor
