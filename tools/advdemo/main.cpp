// advdemo [--platform none|x58|p55|p67] [--os N] [--alone | --state]: opens the advanced dialog
// over a plain window standing in for the main window, on the board hwk.dll gives (the simulated
// one in the tests). The layout follows --platform (zor2 takes it from the processor). On SAVE it
// stores and applies the set as the L4 button does and prints "saved" and the low-power decision;
// on QUIT it prints "quit". Exits with the program's status (1 when the dialog could not open).
// --state prints what the dialog would open with instead.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/firmware.h"
#include "common/firmware_layout.h"
#include "common/hwk_binding.h"
#include "gui/app/discovery_outcome.h"
#include "common/info_store.h"
#include "gui/controls/advanced_settings.h"
#include "gui/settings/advanced_command.h"
#include "gui/settings/settings_control.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/program_paths.h"
#include "platform/registry.h"
#include "platform/service_manager.h"
#include "platform/shutdown.h"
#include "platform/vendor_libraries.h"
#include "ui/desktop.h"

namespace {

using namespace zor;

constexpr int kShowTimer = 1;
constexpr ui::ColorRef kOwnerColour = ui::Rgb(17, 201, 83);

struct Options {
  std::string platform = "none";
  int osClass = kOsNt61;
  bool alone = false;
  bool state = false;
};

void PrintStart(const AdvancedStart& s) {
  std::printf("reduction %u\ndisk %d\nmonitor %d\nlevel %d\n", s.powerItem, s.diskTimeout,
              s.monitorTimeout, s.level);
  const char* roles[kRailRoles] = {"NB", "SB", "VTT", "MEM", "PCH"};
  for (int i = 0; i < kRailRoles; ++i)
    std::printf("rail %s %s\n", roles[i],
                !s.railPresent[i] ? "none" : s.railReduced[i] ? "reduced" : "base");
  std::printf("low-power %s\nthrottling %d\nfan %s\n",
              !s.lowPowerOffered ? "not offered" : s.lowPowerOn ? "on" : "off", s.throttling ? 1 : 0,
              s.fanEnergyCurve ? "energy" : "normal");
}

// The L4 command of the main window, split as the window runs it: the start read and the store
// under the settings lock, the dialog and question on the window thread without it.
int RunCommand(SettingsControl& control, InfoStore& store, ui::ModalHost& owner) {
  AdvancedStart start;
  {
    auto lock = control.Lock();
    start = ReadAdvancedStart(control);
  }
  if (control.ExitRequested()) return control.ExitCode();
  const AdvancedChoice choice = RunAdvancedSettings(owner, start);
  {
    auto lock = control.Lock();
    StoreAdvancedSettings(control, store, choice);
  }
  if (choice.exitCode) return choice.exitCode;
  if (control.ExitRequested()) return control.ExitCode();
  std::printf("%s\n", choice.saved ? "saved" : "quit");
  if (choice.saved) std::printf("low-power %s\n", choice.toggleLowPower ? "toggled" : "kept");
  std::fflush(stdout);
  return 0;
}

class Owner : public ui::Window {
 public:
  Owner(SettingsControl& control, InfoStore& store) : m_control(control), m_store(store) {}
  bool OnInit() override {
    Host().MoveWindow(ui::Rect{40, 40, 640, 585}, true);
    Host().SetTimer(kShowTimer, 200);
    return true;
  }
  void OnPaint(ui::Canvas& canvas) override {
    canvas.Fill(ui::Rect{0, 0, 600, 545}, kOwnerColour);
  }
  void OnTimer(int id) override {
    if (id != kShowTimer) return;
    Host().KillTimer(kShowTimer);
    m_status = RunCommand(m_control, m_store, Host());
    Host().EndModal(ui::kIdOk);
  }
  int Status() const { return m_status; }

 private:
  SettingsControl& m_control;
  InfoStore& m_store;
  int m_status = 0;
};

int Usage() {
  std::fprintf(stderr, "usage: advdemo [--platform none|x58|p55|p67] [--os N] [--alone | --state]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--alone") {
      options.alone = true;
    } else if (name == "--state") {
      options.state = true;
    } else if (name == "--platform" && i + 1 < argc) {
      options.platform = argv[++i];
    } else if (name == "--os" && i + 1 < argc) {
      options.osClass = std::atoi(argv[++i]);
    } else {
      return Usage();
    }
  }

  MainState state;
  state.m_szAppDir = ProgramDirectory();
  state.m_szIniPath = state.m_szAppDir + "\\Info.dat";
  state.m_nOsClass = options.osClass;
  state.m_bX58 = options.platform == "x58";
  state.m_bP55 = options.platform == "p55";
  state.m_bP67 = options.platform == "p67";

  HwkLoadResult hwk = LoadHwk(HwkClient::Gui);
  if (hwk.status != HwkBindStatus::Ok) {
    SystemMessageBoxes().Show(kGuiHwkFailureText, kGuiHwkFailureCaption, MessageIcon::Stop);
    return kGuiHwkFailureExitCode;
  }
  fw::ThreadSleeper sleeper;
  const fw::GuiDiscovery discovery = fw::DiscoverForGui(*hwk.hwk, sleeper);
  if (discovery.status != fw::GuiDiscoveryStatus::Ok) {
    const int exitCode = DiscoveryOutcome(discovery.status, state.m_szAppDir).exitCode;
    std::printf("discovery failed, exit %d\n", exitCode);
    return exitCode ? exitCode : 1;
  }
  state.m_wSmiPort = discovery.target.port;
  state.m_wSmiType = discovery.target.type;
  state.m_dwEsAddr = discovery.energyTableAddress;
  state.m_dwEs2Addr = discovery.railTableAddress;
  state.m_pEs = discovery.energyTable;
  state.m_bAltTable = (state.m_pEs.U16(fw::et::kStatusFlags) & fw::sf::kSmbusRegulator) != 0;
  state.m_nLevel = static_cast<int16_t>(
      (state.m_pEs.U16(fw::et::kControlFlags) & fw::cf::kLevelMask) >> fw::cf::kLevelShift);

  InfoStore store(state.m_szIniPath);
  state.m_bVgaSaving = store.Read("SETTING", "VGA", "0", 255) == "1";
  SettingsPorts ports{*hwk.hwk,           SystemRegistry(),    SystemProcesses(),
                      SystemServiceManager(), SystemMessageBoxes(), SystemShutdown(),
                      SystemVendorLibraries(), sleeper,          SystemLibraryDirectory(),
                      nullptr};
  ports.readSetting = [&store](const std::string& key, const std::string& def) {
    return store.Read("SETTING", key, def, 255);
  };
  SettingsControl control(state, std::move(ports));
  // The user's power settings, recorded as the main window records them at start: a dialog that
  // cannot open gives them back before the program ends.
  control.PowerPlans().GetActivePowerPlan(&state.m_nSavedScheme);
  control.PowerPlans().GetDiskTimeout(state.m_nSavedScheme, &state.m_nSavedDiskTimeout);
  control.PowerPlans().GetMonitorTimeout(state.m_nSavedScheme, &state.m_nSavedMonitorTimeout);
  control.Rails().LoadRailBases();
  control.Vendor().LoadGraphicsClock();
  if (control.ExitRequested()) return control.ExitCode();

  int status = 0;
  if (options.state) {
    auto lock = control.Lock();
    PrintStart(ReadAdvancedStart(control));
    return control.ExitRequested() ? control.ExitCode() : 0;
  }
  if (options.alone) {
    status = RunCommand(control, store, ui::Desktop());
  } else {
    Owner owner(control, store);
    ui::Desktop().DoModal(owner);
    status = owner.Status();
  }
  return status;
}
