#include "gui/settings/firmware_settings.h"

#include "common/firmware_layout.h"
#include "common/firmware_packet.h"
#include "common/firmware_rom.h"
#include "common/firmware_tables.h"

namespace zor {

namespace {
constexpr char kVoltFailure[] = "SetVoltSatae function failure, Can't adjust voltage value!!";
constexpr char kAutoFailure[] = "SetBiosAuto function failure, Can't allocate physical memory!!";
constexpr uint16_t kLevelBits = fw::cf::kLevelMask;
constexpr uint16_t kRowAndHighBits = 0xF000;
// Automatic mode on: saving active and the LED on, with the present level (L1 for any other).
constexpr uint16_t kAutoOnBits = fw::cf::kActive | fw::cf::kLed;
// Automatic mode off keeps only the 12-phase bit and the level code: saving, throttling, the LED
// and every flag from bit 8 up are cleared.
constexpr uint16_t kAutoOffKeep = fw::cf::kPhases12 | fw::cf::kLevelMask;
}  // namespace

bool FirmwareSettings::SubmitFlags(uint16_t flags, bool autoOffWord, const char* failureText) {
  if (m_exit.Requested()) return false;
  const fw::TpsePacket packet = fw::BuildTpsePacket(
      m_state.m_pEs, flags,
      autoOffWord ? fw::PhaseWord::FromAutoOffWord : fw::PhaseWord::FromPhaseMask);
  const fw::SmiTarget target{m_state.m_wSmiPort, static_cast<uint8_t>(m_state.m_wSmiType)};
  // A buffer whose physical address is unknown is as useless as none: the packet never left.
  if (fw::SubmitTpsePacket(m_hwk, target, packet) != fw::SubmitStatus::Ok) {
    m_exit.Request(1, m_boxes, failureText, "Error", MessageIcon::Stop);
    return false;
  }
  return true;
}

bool FirmwareSettings::SetVoltSatae(int level) {
  if (level % 2 == 0) return false;
  m_state.m_nLevel = static_cast<int16_t>(level);
  uint16_t flags = ControlFlags() & static_cast<uint16_t>(~kLevelBits);
  if (level == fw::kLevelL1 || level == fw::kLevelL2 || level == fw::kLevelL3) {
    flags = static_cast<uint16_t>(flags | (level << fw::cf::kLevelShift));
  } else {
    flags &= static_cast<uint16_t>(~kRowAndHighBits);
  }
  return SubmitFlags(flags, false, kVoltFailure);
}

bool FirmwareSettings::SetVoltSataeFlags(uint16_t flags) {
  return SubmitFlags(flags, false, kVoltFailure);
}

bool FirmwareSettings::SetBiosAuto(bool on, bool toggle3D) {
  const uint16_t current = ControlFlags();
  if (!on) {
    m_state.m_bLedOn = false;
    return SubmitFlags(current & kAutoOffKeep, true, kAutoFailure);
  }
  const int level = m_state.m_nLevel == fw::kLevelL3 || m_state.m_nLevel == fw::kLevelL2
                        ? m_state.m_nLevel
                        : fw::kLevelL1;
  uint16_t flags =
      static_cast<uint16_t>((current & ~kLevelBits) | kAutoOnBits | (level << fw::cf::kLevelShift));
  if (toggle3D) flags ^= fw::cf::k3dPower;
  m_state.m_bLedOn = true;
  return SubmitFlags(flags, false, kAutoFailure);
}

bool FirmwareSettings::SetLedBit(bool on) {
  const uint16_t current = ControlFlags();
  const uint16_t flags = on ? static_cast<uint16_t>(current | fw::cf::kLed)
                            : static_cast<uint16_t>(current & ~fw::cf::kLed);
  return SubmitFlags(flags, false, kAutoFailure);
}

bool FirmwareSettings::ReapplyAuto() {
  if (ControlFlags() & fw::cf::kActive) {
    // The button turns 3D power over. The off word clears the bit on a firmware that applies the
    // word as sent, so the on word's toggle is judged against the state before, not after it;
    // otherwise the button could switch 3D power on but never off.
    const bool wanted = !(ControlFlags() & fw::cf::k3dPower);
    SetBiosAuto(false, false);
    const bool now = (ControlFlags() & fw::cf::k3dPower) != 0;
    SetBiosAuto(true, now != wanted);
  }
  return (ControlFlags() & fw::cf::k3dPower) != 0;
}

std::optional<uint16_t> FirmwareSettings::GetPowerItemValue() const {
  fw::FreePowerItem free;
  fw::FindFreePowerItem(m_state.m_pEs, fw::TableProfileNumber(m_state.m_pEs), free);
  if (!free.found) return std::nullopt;
  return free.item.value;
}

bool FirmwareSettings::SetPowerItemValue(uint16_t value) {
  if (m_exit.Requested()) return false;
  fw::FreePowerItem free;
  fw::FindFreePowerItem(m_state.m_pEs, fw::TableProfileNumber(m_state.m_pEs), free);
  if (free.found) m_state.m_pEs.Write16(free.item.valueOffset(), value);
  return true;
}

bool FirmwareSettings::UpdataBiosSetting(uint16_t value) {
  if (m_exit.Requested()) return false;
  const fw::SmiTarget target{m_state.m_wSmiPort, static_cast<uint8_t>(m_state.m_wSmiType)};
  const fw::RomUpdateOutcome outcome = fw::UpdataBiosSetting(m_hwk, target, m_sleeper, value);
  if (outcome.status == fw::RomUpdateStatus::Ok) return true;
  m_exit.Request(outcome.exitCode ? outcome.exitCode : 1, m_boxes, outcome.message, outcome.caption,
                 MessageIcon::Stop);
  return false;
}

void FirmwareSettings::ToggleLowPowerState() {
  const uint16_t flags = ControlFlags();
  if (flags & fw::cf::kLowPower) {
    UpdataBiosSetting(flags & 0x01FF);
  } else {
    UpdataBiosSetting(flags | fw::cf::kLowPower);
  }
}

uint16_t FirmwareSettings::ControlFlags() const { return m_state.m_pEs.U16(fw::et::kControlFlags); }

uint16_t FirmwareSettings::StatusFlags() const { return m_state.m_pEs.U16(fw::et::kStatusFlags); }

LowPowerState FirmwareSettings::GetLowPowerState() const {
  LowPowerState state;
  state.offered = (StatusFlags() & fw::sf::kLowPowerOffered) != 0;
  state.on = state.offered && (ControlFlags() & fw::cf::kLowPower) != 0;
  return state;
}

bool FirmwareSettings::IsThrottlingOn() const {
  return (ControlFlags() & fw::cf::kUseDivisor) != 0;
}

bool FirmwareSettings::IsLowPowerStateOn() const {
  return (ControlFlags() & fw::cf::kLowPower) != 0;
}

}  // namespace zor
