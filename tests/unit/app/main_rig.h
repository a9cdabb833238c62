// zor2's main window on the test host, over a simulated board and fake system ports, with a skin
// whose every picture is a plain tile of its own colour (so a drawing tells which picture it was).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gui/app/main_app.h"
#include "gui/app/main_dialog.h"
#include "platform/fake/fake_shell.h"
#include "tests/unit/settings/settings_rig.h"
#include "tests/unit/store/store_dir.h"
#include "ui/testing/test_host.h"

namespace zor::test {

class FakeSystemInfo : public SystemInfo {
 public:
  OsVersion Version() override { return version; }
  CpuidLeaf1 Cpuid1() override { return cpu; }
  LocalTime Now() override { return now; }
  OsVersion version{true, true, 6, 1, 7601};
  CpuidLeaf1 cpu{true, 0x106A5, 0};
  LocalTime now{2026, 12, 4, 10, 9, 5, 7, 0};
};

struct MainRig {
  explicit MainRig(const char* profile = "x58-6", uint32_t faults = 0);
  ~MainRig();

  // Creates the window with the command line and runs its start; true when it is to be shown.
  bool Start(const std::string& commandLine = "");
  // The settings worker has done everything asked of it and the work it posted to the window ran.
  void Settle();
  // A click: move there (no button held), press, release.
  void Click(ui::Point p);
  void ClickPush(int index);
  void ClickSelector(int index);

  std::string Info(const char* section, const char* key, const char* def = "") const;
  void SetInfo(const char* section, const char* key, const std::string& value);
  uint16_t ControlFlags() const { return board.ControlFlags(); }
  void SetControlFlags(uint16_t flags);
  // Flags of the packets the board accepted since Start.
  std::vector<uint16_t> SentFlags() const;
  // Active plan and plan-4 time-outs as the fake registry holds them (-1 when unreadable).
  int ActivePlan();
  int Plan4Timeout(bool disk) const;  // minutes
  void SetPlan4Timeout(bool disk, int minutes);
  // The name of the skin picture that image is, or "" when it is none of them.
  std::string NameOf(const ui::Image* image) const;
  // What was drawn last at p (a picture's name).
  std::string DrawnAt(ui::Point p) const;
  // The background of each message dialog opened, in order ("MSG_6" for 8 and 9...).
  std::vector<std::string> dialogs;
  // The answer the scripted message dialogs give: 0 none (left open), 1 first button, 2 second.
  int answer = 0;
  // Drives the advanced dialog (L4) when its skin is installed (InstallAdvancedSkin); without a
  // script the dialog is left open.
  std::function<void(ui::TestHost& dialog)> advancedScript;
  void InstallAdvancedSkin();

  // What the board has now, as simboard shows it: each rail's present value in the RailTable and
  // the value the firmware applied, by role ("NB", "SB", "VTT", "MEM", "PCH"); missing roles absent.
  struct Rail {
    uint32_t present = 0;
    uint32_t applied = 0;
  };
  std::map<std::string, Rail> Rails() const;
  // The regulator forgets its targets (a suspend): every rail back at its nominal value.
  void ForgetAppliedRails();
  // A plan's monitor or disk time-out in minutes as the fake registry holds it (-1 when unset).
  int Timeout(int plan, bool disk) const;
  void SetTimeout(int plan, bool disk, int minutes);

  StoreDir dir;
  std::string appDir;  // the program's folder: INFO.DAT and the skins
  std::unique_ptr<sim::BoardState> boardState;
  sim::Board board;
  FakeRegistry registry;
  std::unique_ptr<FakePowercfgRegistry> powercfgRegistry;
  FakeProcesses processes;
  FakeServiceManager services;
  FakeMessageBoxes boxes;
  FakeShutdown shutdown;
  FakeVendorLibraries vendors;
  RecordingSleeper sleeper;
  FakeSystemInfo system;
  FakeShell shell;
  bool hwkLoads = true;
  bool hwkSimulated = false;
  unsigned language = 0x0409;
  bool skinPresent = true;
  uint32_t packetsBefore = 0;

  std::shared_ptr<ui::TestResourceLibrary> skin;
  std::shared_ptr<ui::TestResourceLibrary> res;
  std::shared_ptr<ui::TestResourceLibrary> advancedSkin;  // null until installed
  std::shared_ptr<ui::TestResourceLibrary> programResources;
  std::map<const ui::Image*, std::string> names;
  std::unique_ptr<CMainDialog> window;
  std::unique_ptr<ui::TestHost> host;

 private:
  ui::Bitmap Tile(const std::string& name, int width, int height);
};

}  // namespace zor::test
