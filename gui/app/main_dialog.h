// zor2's main window: a borderless window drawn from the skin library, which checks the firmware
// at start, re-applies the stored level, shows the running figures and carries out the buttons.
//
// The window owns the state it paints (m_state and the members below) and touches it on its own
// thread only. Everything that writes firmware or Windows settings runs on the settings worker,
// over the worker's own copy of the state; the worker reports back through work posted to the
// window's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/info_store.h"
#include "common/figure_liveness.h"
#include "gui/app/background_discovery.h"
#include "gui/app/main_ports.h"
#include "gui/controls/skin_button.h"
#include "gui/controls/skin_buttons.h"
#include "gui/controls/skin_radio.h"
#include "gui/settings/advanced_command.h"
#include "gui/settings/main_state.h"
#include "gui/settings/settings_control.h"
#include "gui/settings/settings_worker.h"
#include "platform/hwk.h"
#include "platform/named_mutex.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "ui/window.h"

namespace zor {

constexpr int kIconResource = 128;
constexpr int kSavingTimeout = 3;    // minutes, monitor and disk, at L2 and L3

class CMainDialog : public ui::Window {
 public:
  CMainDialog(MainPorts ports, std::string commandLine);
  ~CMainDialog() override;

  // ui::Window
  bool OnInit() override { return OnInitDialog(); }
  void OnPaint(ui::Canvas& canvas) override;
  void OnMouseMove(ui::Point p, unsigned keys) override;
  void OnLButtonDown(ui::Point p, unsigned keys) override;
  void OnLButtonUp(ui::Point p, unsigned keys) override;
  void OnDragStart() override;
  void OnTimer(int id) override;
  // Saving that is on is applied again: the regulator forgot its targets over the suspend.
  void OnResume() override;
  void OnEndSession() override;
  bool OnMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;
  // Enter and Escape do nothing here; the system close command closes as the Close button does.
  bool PreTranslateMessage(unsigned message, uintptr_t wParam) override;
  void OnOK() override {}
  void OnCancel() override { Close(); }
  bool IsAppWindow() const override { return true; }

  // Loads hwk.dll and starts the firmware discovery, so that it runs while the window is made
  // and the start goes on; called before the window exists, else by OnInitDialog. Its failures
  // are told at their places in the start.
  void BeginDiscovery();
  bool OnInitDialog();
  bool StartupMode() const { return m_strCmdLine.find("state") != std::string::npos; }

  // ---- State the window paints (its own; the worker has a copy of its own) ----
  MainState m_state;
  std::string m_strCmdLine;

  enum Timer { kPhaseTimer = 0, kFigureTimer = 1 };

  SKIN_BUTTON m_aPush[7];
  SKIN_RADIO m_aSelect[8];
  ui::Bitmap m_bmpResetX;
  ui::Bitmap m_bmpMainOn;
  ui::Bitmap m_bmpMainOff;
  ui::Bitmap m_aCpuOn[11];
  ui::Bitmap m_aCpuOff[11];
  ui::Bitmap m_aPsn[12];
  ui::Bitmap m_aTotalNum[12];
  ui::Bitmap m_aSince[13];
  ui::Bitmap m_aTotal[10];
  ui::Bitmap m_aPst[5];
  ui::Bitmap m_aBar[7];

  double m_dCpuMax = 0;
  double m_dCurrent = 0;
  double m_dTotal = 0;
  int32_t m_nSaveTime = 0;
  uint8_t m_nActivePhases = 0;
  uint8_t m_abPhaseFrame[24] = {};
  bool m_bTopRowLit = true;
  bool m_bBottomRowLit = true;

  // The settings side, for tests: valid once initialisation got that far.
  SettingsControl* Control() { return m_control.get(); }
  SettingsWorker* Worker() { return m_worker.get(); }

 private:
  // The start's steps, in order; those returning bool return false when the program ends there.
  bool Exit(int code);
  void ResetDisplay();
  bool FindProgramFiles();
  void ShowTitle();
  void ReadStartDate();
  void RegisterAutoStart();
  // Tells the user when hwk.dll could not be bound, and ends the program.
  bool BindHwk();
  // Waits for the discovery BeginDiscovery started; its failures end the program.
  bool FinishDiscovery();
  // Capabilities, saving and LED, the processor's checks and the table revision.
  bool ReadFirmwareState();
  bool ClassifyProcessor();
  void ReadLevelAndPhases();
  // Loads the skin's pictures, sizes the window and makes its shape; SkinLoaded tells the user
  // when that failed and ends the program.
  void LoadSkin();
  bool SkinLoaded();
  // Gives the settings side its copy of the state and its control, once the window knows it all.
  bool StartSettings();
  void RecordUserPowerSettings();
  void ApplyCurrentState();
  void PlanCommand(std::function<void(SettingsControl&)> command);
  // The worker, its first tasks, the timers and the icon: the window runs from here on.
  void StartRunning();

  // Painting and pictures.
  void SetUpButtons(const ui::ResourceLibrary& skin);
  // Draws the selectors for the shared mouse rules; LED and 3D power keep their own pictures.
  DrawLook<SKIN_RADIO> SelectorPainter(ui::Canvas& dc);
  void DrawPush(ui::Canvas& dc, int index, const ui::Bitmap& image, const ui::Bitmap& mask);
  void DrawAt(ui::Canvas& dc, const ui::Bitmap& image, int x, int y);
  void DrawAtButton(ui::Canvas& dc, const SKIN_RADIO& button, const ui::Bitmap& image);
  void DrawLevelBar(ui::Canvas& dc, int segments);
  void DrawCpuStrip(ui::Canvas& dc);
  void DrawPower3D(ui::Canvas& dc, bool on);
  int LevelSegments() const;

  // Commands.
  void SwitchOn(ui::Canvas& dc);
  void SwitchOff(ui::Canvas& dc);
  void ChooseLevel(ui::Canvas& dc, int index);
  void ChooseAdvanced();
  void RunAdvanced();
  // Shows the level or advanced set in force, as the worker has it, unless the user has chosen
  // another since the choice numbered `choice`.
  void ShowInForce(unsigned choice, bool advanced, int level, bool vgaSaving);
  // The close button and the system close: asks whether to keep saving when saving is on.
  void Close();
  // Asked by the updater (kMsgCloseForUpdate): no question, saving as it stands goes on.
  void CloseForUpdate();
  void EndProgram(bool keepSaving);
  // Writes the user's recorded power settings to INFO.DAT with "PV" = "1", as a close that keeps
  // saving leaves them.
  static void ParkUserPowerSettings(InfoStore& info, const MainState& state);

  // Timers.
  void CountPhases();
  void DrawPhases();
  void ReadFigures();
  void DrawSavings(ui::Canvas& dc);
  // True only when the service manager says for certain that the service is not running.
  bool ServiceStopped();
  void DrawServiceNotice(ui::Canvas& dc);

  // The settings worker.
  enum Task {
    kTaskNone = 0,
    kTaskSwitchOn,
    kTaskPower3D,
    kTaskClose,
    kTaskCloseKeep,
    kTaskAdvancedStart,
    kTaskOther
  };
  void Post(Task task, std::function<int(SettingsControl&)> work);
  void OnWorkerDone(const SettingsWorker::Done& done);
  uint16_t ControlFlags() const;
  uint16_t StatusFlags() const;

  MainPorts m_ports;
  std::unique_ptr<Hwk> m_hwk;
  BackgroundDiscovery m_discovery;  // after m_hwk: it ends before the binding goes
  bool m_bDiscoveryBegun = false;
  std::unique_ptr<InfoStore> m_info;
  std::unique_ptr<NamedMutex> m_portLock;
  MainState m_settingsState;  // the worker's copy
  std::unique_ptr<MessageBoxes> m_workerBoxes;
  std::unique_ptr<SettingsControl> m_control;
  std::unique_ptr<SettingsWorker> m_worker;
  // The start's power-plan commands, handed to the worker as its first task (see PlanCommand).
  std::vector<std::function<void(SettingsControl&)>> m_startPlanCommands;
  std::shared_ptr<ui::WindowPoster> m_poster;
  ui::RegionPtr m_region;
  bool m_bSkinLoaded = false;  // the skin's background was there: the window can be shown
  bool m_bPowerSaved = false;  // the user's plan was recorded and the saving plan may be in force
  bool m_bClosing = false;     // Close was answered; the program ends once the worker is idle
  int m_nCloseResult = 0;      // exit status (Close "yes") or -1 to end the dialog
  FigureLiveness m_liveness;  // whether the figures shown are live
  bool m_bDemoBoard = false;   // hwk.dll is the simulated board's: the window says so
  unsigned m_nChoice = 0;  // counts the user's level and advanced-set choices
  // What the advanced dialog opens with, read by the worker; set while L4's command runs.
  std::shared_ptr<AdvancedStart> m_advancedStart;
};

}  // namespace zor
