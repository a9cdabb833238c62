// The user's advanced set from INFO.DAT [SETTING], and the firmware queries the advanced dialog
// shows.
#include "common/firmware_layout.h"
#include "common/info_store.h"
#include "gui/settings/settings_control.h"

namespace zor {

namespace {

struct RailKey {
  const char* key;
  int role;
  uint32_t reduction;
};
constexpr RailKey kNorthBridge = {"NB", kRailNorthBridge, 10000};
constexpr RailKey kSouthBridge = {"SB", kRailSouthBridge, 10000};
constexpr RailKey kVtt = {"VTT", kRailVtt, 10000};
constexpr RailKey kMemory = {"MEM", kRailMemory, 2000};
constexpr RailKey kPch = {"PCH", kRailPch, 5000};

}  // namespace

bool SettingsControl::ApplyAdvancedSettings() {
  if (m_exit.Requested()) return true;
  auto setting = [this](const char* key, const char* def) { return m_ports.readSetting(key, def); };
  auto flag = [&](const char* key) { return ProfileInt(setting(key, "0")); };
  auto rail = [&](const RailKey& r) {
    if (flag(r.key) == 1) {
      SetRailTarget(r.role, r.reduction, false);
    } else {
      SetRailTarget(r.role, 0, true);
    }
  };

  using Timeout = PowerPlanSettings::Timeout;
  m_plans.SetTimeoutVerified(Timeout::Disk, TimeoutMinutes(setting("HDD", "3 Mins")));
  m_plans.SetTimeoutVerified(Timeout::Monitor, TimeoutMinutes(setting("MONI", "3 Mins")));

  if (m_state.m_bP55 || m_state.m_bP67) {
    rail(kPch);
  } else {
    rail(kNorthBridge);
    rail(kSouthBridge);
  }
  rail(kMemory);
  if (!m_state.m_bX58 && !m_state.m_bP55 && !m_state.m_bP67) rail(kVtt);
  CommitRails();

  m_state.m_bVgaSaving = flag("VGA") == 1;
  SetGraphicsClockSaving(m_state.m_bVgaSaving);

  const int wantFan = flag("SF");
  bool energyCurve = false;
  if (!ReadFanCurveState(&energyCurve)) return true;
  if (wantFan == 1 && !energyCurve) WriteFanCurve(true);
  if (wantFan == 0 && energyCurve) WriteFanCurve(false);
  if (m_exit.Requested()) return true;

  const uint16_t reduction = static_cast<uint16_t>(flag("FSB"));
  uint16_t present = reduction;  // stays so when the profile has no free item
  GetPowerItemValue(&present);
  if (present != reduction) SetPowerItemValue(reduction);

  const uint16_t before = ControlFlags();
  uint16_t flags = before;
  const int level = ProfileInt(setting("CURVOLT", "5"));
  if (level == fw::kLevelL1 || level == fw::kLevelL2 || level == fw::kLevelL3) {
    flags = static_cast<uint16_t>((flags & 0xFF1F) | (level << fw::cf::kLevelShift));
  }
  m_state.m_nLevel = static_cast<int16_t>(level);
  if (flag("THRO") == 1) {
    flags |= fw::cf::kThrottle | fw::cf::kUseDivisor;
  } else {
    flags &= static_cast<uint16_t>(~fw::cf::kUseDivisor);
  }

  if (flags == before) {
    // The firmware acts only on a change, so an unchanged word is sent around a cleared one.
    const uint16_t cleared = before & 0xFFF0;
    SetVoltSataeFlags(cleared);
    SetVoltSataeFlags(flags);
    SetVoltSataeFlags(cleared);
    SetVoltSataeFlags(flags);
  } else {
    SetVoltSataeFlags(flags);
  }
  return true;
}

bool SettingsControl::IsRailReduced(int index, bool* reduced) {
  *reduced = false;
  if (index < 0 || index >= kRailRoles || m_state.m_aRails[index].offset == 0) return false;
  const RailSlot& slot = m_state.m_aRails[index];
  *reduced = RailTable().U32(slot.offset + fw::rt::kPresentValue) < slot.base;
  return true;
}

bool SettingsControl::GetLowPowerState(bool* offered, bool* on) {
  *offered = (StatusFlags() & fw::sf::kLowPowerOffered) != 0;
  *on = *offered && (ControlFlags() & fw::cf::kLowPower) != 0;
  return true;
}

bool SettingsControl::IsThrottlingOn(bool* on) {
  *on = (ControlFlags() & fw::cf::kUseDivisor) != 0;
  return true;
}

bool SettingsControl::IsLowPowerStateOn(bool* on) {
  *on = (ControlFlags() & fw::cf::kLowPower) != 0;
  return true;
}

}  // namespace zor
