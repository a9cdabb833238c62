// The firmware's ControlFlags word: level, automatic mode, LED and 3D power through TpsePackets,
// the free PowerItem, the ROM settings value (the low-power state), and the flags the advanced
// dialog shows.
#pragma once

#include <cstdint>
#include <optional>

#include "common/firmware.h"
#include "gui/settings/main_state.h"
#include "gui/settings/settings_exit.h"
#include "platform/hwk.h"
#include "platform/message_box.h"

namespace zor {

// The firmware's low-power state: whether the board offers it, and whether it is on.
struct LowPowerState {
  bool offered = false;
  bool on = false;  // false when not offered
};

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
  // The value of the free PowerItem; none when the profile has no free item.
  std::optional<uint16_t> GetPowerItemValue() const;
  bool SetPowerItemValue(uint16_t value);
  bool UpdataBiosSetting(uint16_t value);
  // Switches the firmware's low-power state over (the ROM setting); takes effect at restart.
  void ToggleLowPowerState();

  uint16_t ControlFlags() const;
  LowPowerState GetLowPowerState() const;
  bool IsThrottlingOn() const;
  bool IsLowPowerStateOn() const;

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
