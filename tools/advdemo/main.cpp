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
#include "common/info_keys.h"
#include "common/hwk_binding.h"
#include "common/info_store.h"
#include "gui/app/discovery_outcome.h"
#include "gui/app/start_wiring.h"
#include "gui/controls/advanced_settings.h"
#include "gui/settings/advanced_command.h"
#include "gui/settings/settings_control.h"
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

  fw::ThreadSleeper sleeper;
  const MainPorts system = SystemMainPorts(sleeper);
  MainState state;
  if (!FindProgramFiles(state, system.programDir)) return 1;
  state.m_nOsClass = options.osClass;
  state.m_bX58 = options.platform == "x58";
  state.m_bP55 = options.platform == "p55";
  state.m_bP67 = options.platform == "p67";

  const std::unique_ptr<Hwk> hwk = system.loadHwk();
  if (!hwk) {
    system.boxes.Show(kGuiHwkFailureText, kGuiHwkFailureCaption, MessageIcon::None);
    return kGuiHwkFailureExitCode;
  }
  const fw::GuiDiscovery discovery = fw::DiscoverForGui(*hwk, sleeper);
  if (discovery.status != fw::GuiDiscoveryStatus::Ok) {
    const int exitCode = DiscoveryOutcome(discovery.status, state.m_strAppDir).exitCode;
    std::printf("discovery failed, exit %d\n", exitCode);
    return exitCode ? exitCode : 1;
  }
  FillFromDiscovery(state, discovery);
  state.m_nLevel = static_cast<int16_t>(
      (state.m_pEs.U16(fw::et::kControlFlags) & fw::cf::kLevelMask) >> fw::cf::kLevelShift);

  InfoStore store(state.m_strIniPath);
  state.m_bVgaSaving = store.Read(info::kSetting, "VGA", "0", info::kSettingCapacity) == "1";
  SettingsControl control(state, WireSettingsPorts(system, *hwk, system.boxes, store));
  // The user's power settings, recorded as the main window records them at start (held in
  // INFO.DAT only by the main window, whose saving plan replaces them): a dialog that cannot open
  // gives them back before the program ends.
  ReadUserPowerAtStart(control, store);
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
