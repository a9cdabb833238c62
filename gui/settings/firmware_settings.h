// The firmware's ControlFlags word: level, automatic mode, LED and 3D power through TpsePackets,
// the free PowerItem, the ROM settings value (the low-power state), and the flags the advanced
// dialog shows.
#pragma once

#include <cstdint>

#include "common/firmware.h"
#include "gui/settings/main_state.h"
#include "gui/settings/settings_exit.h"
#include "platform/hwk.h"
#include "platform/message_box.h"

namespace zor {

class FirmwareSettings {
 public:
  // The ROM update waits on sleeper; a failed packet buffer or ROM update ends the program with
  // its message in boxes.
  FirmwareSettings(MainState& state, Hwk& hwk, fw::Sleeper& sleeper, MessageBoxes& boxes,
                   SettingsExit& exit)
      : m_state(state), m_hwk(hwk), m_sleeper(sleeper), m_boxes(boxes), m_exit(exit) {}

  bool SetVoltSatae(int level);
  bool SetVoltSataeFlags(uint16_t flags);
  bool SetBiosAuto(bool on, bool toggle3D);
  bool SetLedBit(bool on);
  bool ReapplyAuto();  // bit 11 of the flags after the re-apply
  bool GetPowerItemValue(uint16_t* value);
  bool SetPowerItemValue(uint16_t value);
  bool UpdataBiosSetting(uint16_t value);
  // Switches the firmware's low-power state over (the ROM setting); takes effect at restart.
  void ToggleLowPowerState();

  uint16_t ControlFlags() const;
  bool GetLowPowerState(bool* offered, bool* on);
  bool IsThrottlingOn(bool* on);
  bool IsLowPowerStateOn(bool* on);

 private:
  bool SubmitFlags(uint16_t flags, bool autoOffWord, const char* failureText);
  uint16_t StatusFlags() const;

  MainState& m_state;
  Hwk& m_hwk;
  fw::Sleeper& m_sleeper;
  MessageBoxes& m_boxes;
  SettingsExit& m_exit;
};

}  // namespace zor
