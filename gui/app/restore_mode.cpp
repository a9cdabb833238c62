#include "gui/app/restore_mode.h"

#include <cctype>

#include "common/firmware.h"
#include "common/firmware_layout.h"
#include "common/info_keys.h"
#include "gui/app/platform_class.h"
#include "gui/app/start_wiring.h"
#include "gui/app/user_power_record.h"
#include "gui/settings/firmware_settings.h"
#include "gui/settings/power_plan_settings.h"
#include "gui/settings/rail_settings.h"
#include "gui/settings/settings_exit.h"
#include "gui/settings/vendor_settings.h"
#include "platform/program_paths.h"

namespace zor {

namespace {

// Nobody may be asked anything: an uninstaller waits for this process, often silently.
class NoBoxes : public MessageBoxes {
 public:
  void Show(const std::string&, const std::string&, MessageIcon) override {}
  bool SystemErrorText(unsigned long, std::string*) override { return false; }
  unsigned long LastError() override { return 0; }
};

// Saving off in the firmware and in its ROM setting (for the next boot); the rails at their bases.
void SwitchFirmwareSavingOff(MainPorts& ports, MainState& state, NoBoxes& boxes,
                             SettingsExit& exit) {
  const std::unique_ptr<Hwk> hwk = ports.loadHwk ? ports.loadHwk() : nullptr;
  if (!hwk) return;
  const fw::GuiDiscovery found = fw::DiscoverForGui(*hwk, ports.sleeper);
  if (found.status != fw::GuiDiscoveryStatus::Ok) return;
  // As zor2 fills it, the regulator's kind with it: an SMBus board keeps its rail bases elsewhere.
  FillFromDiscovery(state, found);
  const PlatformClass platform = ClassifyPlatform(ports.system.Cpuid1().eax);
  state.m_bX58 = platform.x58;
  state.m_bP55 = platform.p55;
  state.m_bP67 = platform.p67;
  const uint16_t flags = state.m_pEs.U16(fw::et::kControlFlags);
  if (flags & fw::cf::kActive) {
    FirmwareSettings firmware(state, *hwk, ports.sleeper, boxes, exit);
    firmware.UpdataBiosSetting(flags & fw::cf::kLevelMask);
    firmware.SetBiosAuto(false, false);
  }
  // Also with saving already off: a close that stopped saving leaves the rails where they were.
  RailSettings rails(state, *hwk, boxes, exit);
  rails.LoadRailBases();
  rails.ApplyRails(0);
  // The mapping stays, as in every zor2 process: it goes with the process.
}

}  // namespace

bool IsRestoreCommand(const std::string& commandLine) {
  std::string word;
  for (size_t i = 0; i <= commandLine.size(); ++i) {
    const char c = i < commandLine.size() ? commandLine[i] : ' ';
    if (!std::isspace(static_cast<unsigned char>(c))) {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      continue;
    }
    if (word == "restore") return true;
    word.clear();
  }
  return false;
}

int RunRestoreMode(MainPorts& ports) {
  if (ports.programDir.empty()) return 1;
  MainState state;
  state.m_strAppDir = ports.programDir;
  state.m_strIniPath = JoinPath(state.m_strAppDir, "Info.dat");
  state.m_nOsClass = OsClass(ports.system.Version(), state.m_nOsClass);
  InfoStore info(state.m_strIniPath);
  NoBoxes boxes;
  SettingsExit exit;

  SwitchFirmwareSavingOff(ports, state, boxes, exit);

  // The record of a run that did not end cleanly, else what a "keep saving" close parked; with
  // neither, the settings in force are the user's own.
  UserPowerSettings user;
  const bool known = ReadHeldUserPower(info, user) || ReadParkedUserPower(info, user);
  const SettingsExit::RestoreScope restoring(exit);
  if (known) {
    state.m_nSavedScheme = user.scheme;
    state.m_nSavedDiskTimeout = user.diskTimeout;
    state.m_nSavedMonitorTimeout = user.monitorTimeout;
    PowerPlanSettings plans(state, ports.registry, ports.processes, boxes, ports.sleeper,
                            ports.systemDir, exit);
    plans.RestoreUserPowerSettings();
  }
  VendorSettings vendor(state, ports.vendors, boxes, exit);
  if (vendor.LoadGraphicsClock()) {
    state.m_bClockLow = 1;  // a run that ended may have left it lowered
    vendor.SetGraphicsClockSaving(false);
  }
  // Nothing left to give back; a file that held nothing is not made.
  if (known) {
    info.Update([](InfoFile& file) {
      file.Write(info::kInfo, info::kPv, "0");
      ReleaseUserPower(file);
    });
  }
  return 0;
}

}  // namespace zor
