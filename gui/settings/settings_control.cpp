// The face over the settings pieces: what spans several of them.
#include "gui/settings/settings_control.h"

#include "common/firmware_layout.h"
#include "common/info_store.h"
#include "common/rail_targets.h"

namespace zor {

SettingsControl::SettingsControl(MainState& state, SettingsPorts ports)
    : m_state(state),
      m_sleeper(ports.sleeper),
      m_boxes(ports.boxes),
      m_readSetting(std::move(ports.readSetting)),
      m_firmware(state, ports.hwk, ports.sleeper, ports.boxes, m_exit),
      m_rails(state, ports.hwk, ports.boxes, m_exit),
      m_plans(state, ports.registry, ports.processes, ports.boxes, ports.sleeper,
              std::move(ports.systemDirectory), m_exit),
      m_vendor(state, ports.vendors, ports.boxes, m_exit),
      m_service(state, ports.services, ports.processes, ports.sleeper, m_exit),
      m_restart(ports.shutdown, m_exit) {}

void SettingsControl::RestoreUserPowerSettings() {
  // Giving the user's own settings back is the one change still made once the program is to end:
  // no way out of the program may leave the saving plan in force.
  const SettingsExit::RestoreScope restoring(m_exit);
  m_plans.RestoreUserPowerSettings();
  m_sleeper.SleepMs(10);
  m_vendor.SetGraphicsClockSaving(false);
}

void SettingsControl::ApplyLevel(int level) {
  if (m_exit.Requested()) return;
  bool vgaSaving = false;
  if (level == fw::kLevelL1) {
    m_plans.SetMonitorTimeout(kPlanBalanced, m_state.m_nSavedMonitorTimeout);
    m_sleeper.SleepMs(10);
    m_plans.SetDiskTimeout(kPlanBalanced, m_state.m_nSavedDiskTimeout);
  } else if (level == fw::kLevelL2 || level == fw::kLevelL3) {
    m_plans.SetMonitorTimeout(kPlanBalanced, 3);
    m_sleeper.SleepMs(10);
    m_plans.SetDiskTimeout(kPlanBalanced, 3);
    vgaSaving = true;
  } else {
    return;
  }
  m_sleeper.SleepMs(10);
  m_rails.ApplyRails(level);
  m_state.m_bVgaSaving = vgaSaving;
  m_vendor.SetGraphicsClockSaving(vgaSaving);
  if (m_firmware.GetPowerItemValue().value_or(0) != 0) m_firmware.SetPowerItemValue(0);
  m_firmware.SetVoltSatae(level);
}

void SettingsControl::ApplyAdvancedSettings() {
  if (m_exit.Requested()) return;
  auto setting = [this](const char* key, const char* def) { return m_readSetting(key, def); };
  auto flag = [&](const char* key) { return ProfileInt(setting(key, "0")); };

  using Timeout = PowerPlanSettings::Timeout;
  m_plans.SetTimeoutVerified(Timeout::Disk, TimeoutMinutes(setting("HDD", "3 Mins")));
  m_plans.SetTimeoutVerified(Timeout::Monitor, TimeoutMinutes(setting("MONI", "3 Mins")));

  const PlatformClass platform{m_state.m_bX58, m_state.m_bP55, m_state.m_bP67};
  for (const RailTarget& t :
       AdvancedRailTargets(platform, [&](const char* key) { return flag(key) == 1; })) {
    m_rails.SetRailTarget(t.role, t.reduction, t.useBase);
  }
  m_rails.CommitRails();

  m_state.m_bVgaSaving = flag("VGA") == 1;
  m_vendor.SetGraphicsClockSaving(m_state.m_bVgaSaving);

  const int wantFan = flag("SF");
  bool energyCurve = false;
  if (!m_vendor.ReadFanCurveState(&energyCurve)) return;
  if (wantFan == 1 && !energyCurve) m_vendor.WriteFanCurve(true);
  if (wantFan == 0 && energyCurve) m_vendor.WriteFanCurve(false);
  if (m_exit.Requested()) return;

  const uint16_t reduction = static_cast<uint16_t>(flag("FSB"));
  // A profile without a free item has nothing to write.
  if (m_firmware.GetPowerItemValue().value_or(reduction) != reduction) {
    m_firmware.SetPowerItemValue(reduction);
  }

  const uint16_t before = m_firmware.ControlFlags();
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
    m_firmware.SetVoltSataeFlags(cleared);
    m_firmware.SetVoltSataeFlags(flags);
    m_firmware.SetVoltSataeFlags(cleared);
    m_firmware.SetVoltSataeFlags(flags);
  } else {
    m_firmware.SetVoltSataeFlags(flags);
  }
}

}  // namespace zor
