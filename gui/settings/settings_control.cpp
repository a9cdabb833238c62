#include "gui/settings/settings_control.h"

#include "common/firmware_layout.h"

namespace zor {

SettingsControl::SettingsControl(MainState& state, SettingsPorts ports)
    : m_state(state),
      m_ports(std::move(ports)),
      m_plans(state, m_ports.registry, m_ports.processes, m_ports.boxes, m_ports.sleeper,
              m_ports.systemDirectory, m_exit),
      m_vendor(state, m_ports.vendors, m_ports.boxes, m_exit),
      m_service(state, m_ports.services, m_ports.processes, m_ports.sleeper, m_exit),
      m_restart(m_ports.shutdown, m_exit) {}

uint16_t SettingsControl::ControlFlags() const { return m_state.m_pEs.U16(fw::et::kControlFlags); }

uint16_t SettingsControl::StatusFlags() const { return m_state.m_pEs.U16(fw::et::kStatusFlags); }

MemoryView SettingsControl::RailTable() const {
  return fw::RailTableWithin(m_state.m_pEs, m_state.m_dwEsAddr, m_state.m_dwEs2Addr);
}

void SettingsControl::RestoreUserPowerSettings() {
  // Giving the user's own settings back is the one change still made once the program is to end:
  // no way out of the program may leave the saving plan in force.
  const SettingsExit::RestoreScope restoring(m_exit);
  m_plans.RestoreUserPowerSettings();
  m_ports.sleeper.SleepMs(10);
  m_vendor.SetGraphicsClockSaving(false);
}

}  // namespace zor
