#include "gui/settings/advanced_command.h"

namespace zor {

const char kStoreFailedText[] =
    "The advanced settings could not be saved in INFO.DAT, so they were not applied; the settings "
    "in force stay as they were. Please press SAVE again.";
const char kStoreFailedCaption[] = "Worry";

AdvancedStart ReadAdvancedStart(SettingsControl& control) {
  const MainState& state = control.State();
  AdvancedStart start;
  start.x58 = state.m_bX58;
  start.p55 = state.m_bP55;
  start.p67 = state.m_bP67;
  start.level = state.m_nLevel;
  start.vgaSaving = state.m_bVgaSaving;
  start.powerItem = control.Firmware().GetPowerItemValue().value_or(0);
  control.PowerPlans().GetDiskTimeout(kPlanBalanced, &start.diskTimeout);
  control.PowerPlans().GetMonitorTimeout(kPlanBalanced, &start.monitorTimeout);
  for (int role = 0; role < kRailRoles; ++role) {
    bool reduced = false;
    start.railPresent[role] = control.Rails().IsRailReduced(role, &reduced);
    start.railReduced[role] = reduced;
  }
  const LowPowerState lowPower = control.Firmware().GetLowPowerState();
  start.lowPowerOffered = lowPower.offered;
  start.lowPowerOn = lowPower.on;
  start.throttling = control.Firmware().IsThrottlingOn();
  control.Vendor().ReadFanCurveState(&start.fanEnergyCurve);
  return start;
}

bool StoreAdvancedSettings(SettingsControl& control, InfoStore& store, const AdvancedChoice& choice) {
  if (choice.exitCode != 0) {
    control.RestoreUserPowerSettings();
    return false;
  }
  if (!choice.saved) return false;
  const auto write = [&choice](InfoFile& file) {
    for (const auto& [key, value] : choice.keys) file.Write("SETTING", key, value);
  };
  // The lock may be held for a moment by the service; a set that is not stored must not be applied,
  // since every later apply reads it back from the file.
  bool stored = store.Update(write);
  for (int attempt = 1; !stored && attempt < kStoreAttempts; ++attempt) {
    control.Sleeper().SleepMs(kStoreRetryMs);
    stored = store.Update(write);
  }
  if (!stored) {
    control.Boxes().Show(kStoreFailedText, kStoreFailedCaption, MessageIcon::Information);
    return false;
  }
  control.State().m_bAdvanced = true;
  if (choice.toggleLowPower) control.Firmware().ToggleLowPowerState();
  control.ApplyAdvancedSettings();
  // The restart comes last: it does not wait for anything done after it.
  if (choice.toggleLowPower && !control.ExitRequested()) control.Restart().RestartSystem();
  return true;
}

}  // namespace zor
