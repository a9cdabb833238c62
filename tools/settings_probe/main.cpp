// settings_probe: runs zor2's settings operations against hwk.dll, the vendor libraries, the
// registry, powercfg and the service manager of the machine (a Wine prefix in the end-to-end
// tests), and prints what it did. Message boxes are printed instead of shown.
//
//   settings_probe [options] COMMAND...
//   options: --os N (version class, default the system's as zor2 takes it), --platform none|x58|p55|p67 (default none),
//            --saved-scheme N, --saved-disk N, --saved-monitor N (the user's recorded settings)
//   commands: levels L... (one settings worker, requests in a burst), sequence L... (each level
//             applied before the next is asked for, as slow clicks would), advanced, restore,
//             power (print plan and time-outs of plan 4), service, service-state, privilege
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/firmware.h"
#include "common/hwk_binding.h"
#include "common/info_store.h"
#include "common/service_name.h"
#include "gui/app/discovery_outcome.h"
#include "gui/app/platform_class.h"
#include "gui/app/start_wiring.h"
#include "gui/settings/settings_worker.h"
#include "gui/settings/settings_control.h"
#include "platform/message_box.h"
#include "platform/service_manager.h"
#include "platform/system_info.h"

namespace {

using namespace zor;

// Prints each box; a test run has nobody to press OK.
class PrintedBoxes : public MessageBoxes {
 public:
  void Show(const std::string& text, const std::string& caption, MessageIcon) override {
    std::printf("box %s: %s\n", caption.c_str(), text.c_str());
  }
  bool SystemErrorText(unsigned long code, std::string* text) override {
    return SystemMessageBoxes().SystemErrorText(code, text);
  }
  unsigned long LastError() override { return SystemMessageBoxes().LastError(); }
};

struct Options {
  int osClass = -1;  // the system's
  std::string platform = "none";
  int savedScheme = 4;
  int savedDisk = 0;
  int savedMonitor = 0;
};

int Usage() {
  std::fprintf(stderr,
               "usage: settings_probe [--os N] [--platform none|x58|p55|p67] [--saved-scheme N]\n"
               "       [--saved-disk N] [--saved-monitor N] COMMAND...\n"
               "commands: levels L..., sequence L..., advanced, restore, power, service, service-state, privilege\n");
  return 2;
}

int Run(SettingsControl& control, const std::vector<std::string>& args) {
  const std::string& command = args[0];
  if (command == "levels" || command == "sequence") {
    if (args.size() < 2) return Usage();
    SettingsWorker worker(control);
    for (size_t i = 1; i < args.size(); ++i) {
      worker.RequestLevel(std::atoi(args[i].c_str()));
      if (command == "sequence") worker.WaitIdle();
    }
    worker.WaitIdle();
    std::printf("level %d\n", control.State().m_nLevel);
  } else if (command == "advanced") {
    auto lock = control.Lock();
    control.ApplyAdvancedSettings();
    std::printf("level %d vga %d\n", control.State().m_nLevel, control.State().m_bVgaSaving ? 1 : 0);
  } else if (command == "restore") {
    auto lock = control.Lock();
    control.RestoreUserPowerSettings();
  } else if (command == "power") {
    int plan = -1;
    int disk = -1;
    int monitor = -1;
    control.PowerPlans().GetActivePowerPlan(&plan);
    control.PowerPlans().GetDiskTimeout(kPlanBalanced, &disk);
    control.PowerPlans().GetMonitorTimeout(kPlanBalanced, &monitor);
    std::printf("plan %d disk %d monitor %d\n", plan, disk, monitor);
  } else if (command == "service") {
    control.Service().EnsureServiceRunning();
  } else if (command == "service-state") {
    uint32_t state = 0;
    auto manager = SystemServiceManager().Open();
    auto service = manager ? manager->OpenNamed(kServiceName) : nullptr;
    if (!service || !service->QueryState(&state)) {
      std::printf("service missing\n");
    } else {
      std::printf("service state %u\n", state);
    }
  } else if (command == "privilege") {
    const bool enabled = control.Restart().EnablePrivilege(kShutdownPrivilege);
    const bool disabled = enabled && control.Restart().DisablePrivilege(kShutdownPrivilege);
    std::printf("privilege %d %d\n", enabled ? 1 : 0, disabled ? 1 : 0);
  } else {
    return Usage();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--os") {
      options.osClass = std::atoi(value);
    } else if (name == "--platform") {
      options.platform = value;
    } else if (name == "--saved-scheme") {
      options.savedScheme = std::atoi(value);
    } else if (name == "--saved-disk") {
      options.savedDisk = std::atoi(value);
    } else if (name == "--saved-monitor") {
      options.savedMonitor = std::atoi(value);
    } else {
      return Usage();
    }
  }
  if (i >= argc) return Usage();
  const std::vector<std::string> args(argv + i, argv + argc);

  fw::ThreadSleeper sleeper;
  const MainPorts system = SystemMainPorts(sleeper);
  MainState state;
  if (!FindProgramFiles(state, system.programDir)) return 1;
  state.m_nOsClass =
      options.osClass >= 0 ? options.osClass : OsClass(system.system.Version(), state.m_nOsClass);
  state.m_nSavedScheme = options.savedScheme;
  state.m_nSavedDiskTimeout = options.savedDisk;
  state.m_nSavedMonitorTimeout = options.savedMonitor;
  state.m_bX58 = options.platform == "x58";
  state.m_bP55 = options.platform == "p55";
  state.m_bP67 = options.platform == "p67";

  const std::unique_ptr<Hwk> hwk = system.loadHwk();
  if (!hwk) {
    std::printf("box %s: %s\n", kGuiHwkFailureCaption, kGuiHwkFailureText);
    return kGuiHwkFailureExitCode;
  }
  const fw::GuiDiscovery discovery = fw::DiscoverForGui(*hwk, sleeper);
  if (discovery.status != fw::GuiDiscoveryStatus::Ok) {
    std::printf("discovery failed, status %d\n", static_cast<int>(discovery.status));
    return 1;
  }
  FillFromDiscovery(state, discovery);

  InfoStore store(state.m_strIniPath);
  PrintedBoxes boxes;
  SettingsControl control(state, WireSettingsPorts(system, *hwk, boxes, store));
  control.Rails().LoadRailBases();
  control.Vendor().LoadGraphicsClock();

  const int result = control.ExitRequested() ? 0 : Run(control, args);
  if (control.ExitRequested()) {
    std::printf("exit %d\n", control.ExitCode());
    return control.ExitCode();
  }
  return result;
}
