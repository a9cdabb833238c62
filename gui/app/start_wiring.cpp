#include "gui/app/start_wiring.h"

#include "common/firmware_layout.h"
#include "common/info_keys.h"
#include "platform/program_paths.h"

namespace zor {

bool FindProgramFiles(MainState& state, const std::string& programDir) {
  if (programDir.empty()) return false;
  state.m_strAppDir = programDir;
  state.m_strIniPath = JoinPath(state.m_strAppDir, "Info.dat");
  return true;
}

void FillFromDiscovery(MainState& state, const fw::GuiDiscovery& discovery) {
  state.m_wSmiPort = discovery.target.port;
  state.m_wSmiType = discovery.target.type;
  state.m_dwEsAddr = discovery.energyTableAddress;
  state.m_dwEs2Addr = discovery.railTableAddress;
  state.m_pEs = discovery.energyTable;
  state.m_bAltTable = (state.m_pEs.U16(fw::et::kStatusFlags) & fw::sf::kSmbusRegulator) != 0;
}

SettingsPorts WireSettingsPorts(const MainPorts& ports, Hwk& hwk, MessageBoxes& boxes,
                                InfoStore& info) {
  SettingsPorts wired{hwk,           ports.registry, ports.processes, ports.services,
                      boxes,         ports.shutdown, ports.vendors,   ports.sleeper,
                      ports.systemDir, nullptr};
  wired.readSetting = [&info](const std::string& key, const std::string& def) {
    return info.Read(info::kSetting, key, def, info::kSettingCapacity);
  };
  return wired;
}

UserPowerAtStart ReadUserPowerAtStart(SettingsControl& control, InfoStore& info) {
  UserPowerAtStart user;
  MainState& s = control.State();
  user.parked = ReadParkedUserPower(info, user.settings);
  if (!user.parked && !ReadHeldUserPower(info, user.settings)) {
    control.PowerPlans().RecordUserPowerSettings();
    user.settings = {s.m_nSavedScheme, s.m_nSavedDiskTimeout, s.m_nSavedMonitorTimeout};
  }
  s.m_nSavedScheme = user.settings.scheme;
  s.m_nSavedDiskTimeout = user.settings.diskTimeout;
  s.m_nSavedMonitorTimeout = user.settings.monitorTimeout;
  return user;
}

}  // namespace zor
