// The main window's start: program files, the user's power settings, the savings start date, the
// automatic start, hwk.dll and the firmware, the processor, the skin, and the level in force.
#include <cctype>
#include <cstdio>

#include "common/firmware.h"
#include "common/firmware_layout.h"
#include "common/hwk_binding.h"
#include "common/info_keys.h"
#include "common/relaunch_count.h"
#include "gui/app/discovery_outcome.h"
#include "gui/app/main_dialog.h"
#include "gui/app/main_layout.h"
#include "gui/controls/level_table.h"
#include "gui/app/platform_class.h"
#include "gui/app/posted_boxes.h"
#include "gui/app/start_wiring.h"
#include "gui/app/user_power_record.h"
#include "gui/controls/message_dlg.h"
#include "platform/file_version.h"
#include "platform/program_paths.h"
#include "platform/reg_key.h"

namespace zor {

namespace {

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunOnceKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kAutoStartValue[] = "ZOR2";
constexpr char kDefaultBuild[] = "B10.1022.1";
// The title's version when the program file carries none.
constexpr char kDefaultTitleVersion[] = "2.0";
constexpr char kNoProgramDirText[] = "The program's folder could not be found!!";
constexpr char kNoProgramDirCaption[] = "ERROR";
constexpr uint32_t kMsrPerformanceControl = 0x1A0;

std::string Decimal(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

}  // namespace

CMainDialog::CMainDialog(MainPorts ports, std::string commandLine)
    : m_strCmdLine(std::move(commandLine)), m_ports(std::move(ports)) {
  for (char& c : m_strCmdLine) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  m_state.m_strCmdLine = m_strCmdLine;
}

CMainDialog::~CMainDialog() {
  // The worker finishes what it holds before the state it works on goes.
  m_worker.reset();
}

bool CMainDialog::Exit(int code) {
  // The discovery ends first: a process ended under it could leave the board's lock taken or
  // an SMI call half made.
  m_discovery.Wait();
  // Work still posted to the window never runs: a box the worker waits for counts as answered,
  // so the worker can finish.
  Host().DropPosts();
  // Once the user's plan may have been replaced, no exit leaves the saving plan in force.
  if (m_bPowerSaved && m_control) {
    if (m_worker) m_worker.reset();
    m_control->RestoreUserPowerSettings();
    m_info->Update(ReleaseUserPower);
  }
  Host().ExitProcess(code);
  return false;
}

void CMainDialog::BeginDiscovery() {
  if (m_bDiscoveryBegun) return;
  m_bDiscoveryBegun = true;
  m_hwk = m_ports.loadHwk ? m_ports.loadHwk() : nullptr;
  if (m_hwk) m_discovery.Start(*m_hwk, m_ports.sleeper);
}

bool CMainDialog::OnInitDialog() {
  // The discovery's fixed waits are most of the start: what does not need its answer runs
  // meanwhile (the skin, the window's size and shape, while the window is hidden). Every failure
  // is still told at its own place, in the order the start always had.
  BeginDiscovery();
  ResetDisplay();
  if (!FindProgramFiles()) return false;
  ShowTitle();
  m_state.m_nOsClass = OsClass(m_ports.system.Version(), m_state.m_nOsClass);
  ReadStartDate();
  RegisterAutoStart();
  if (!BindHwk()) return false;
  LoadSkin();
  if (!FinishDiscovery()) return false;
  if (!m_ports.portLockName.empty()) m_portLock = std::make_unique<NamedMutex>(m_ports.portLockName);
  if (!ReadFirmwareState()) return false;
  ReadLevelAndPhases();
  if (!SkinLoaded()) return false;
  if (!StartSettings()) return false;
  // The user's power settings are recorded only once every check that ends the start has passed:
  // from here the saving plan may replace them, and every exit gives them back.
  if (!StartupMode()) RecordUserPowerSettings();
  ApplyCurrentState();
  if (m_control->ExitRequested()) return Exit(m_control->ExitCode());
  // At logon the level is back in force: nothing more to do.
  if (StartupMode()) return Exit(0);
  StartRunning();
  return true;
}

void CMainDialog::ResetDisplay() {
  Host().SetIcon(kIconResource);
  m_state.m_bMeterMode = true;
  m_state.m_nLevel = 1;
  m_dCpuMax = m_dCurrent = m_dTotal = 0;
  m_bTopRowLit = m_bBottomRowLit = true;
  for (int i = 0; i < 24; ++i) m_abPhaseFrame[i] = static_cast<uint8_t>(i % 4 + 1);
  m_state.m_crKey = kMagenta;
  m_state.m_crTolerance = kMagenta;
}

void CMainDialog::ShowTitle() {
  const std::string build =
      m_info->Read(info::kMain, info::kBuild, kDefaultBuild, info::kPathCapacity);
  // The version of the zor2.exe that runs, so that after an update the title names the new one.
  const std::string version = ProgramFileVersion();
  Host().SetTitle("ZOR " + (version.empty() ? std::string(kDefaultTitleVersion) : version) + " " + build);
}

bool CMainDialog::ReadFirmwareState() {
  const uint16_t status = StatusFlags();
  const uint16_t control = ControlFlags();
  // At logon with saving off there is nothing to put back.
  if (!(control & fw::cf::kActive) && StartupMode()) return Exit(0);
  m_state.m_b3DPower = (status & fw::sf::k3dPowerOffered) != 0;
  if (!ClassifyProcessor()) return false;
  m_state.m_bSavingOn = (control & fw::cf::kActive) != 0;
  if (control & fw::cf::kLed) m_state.m_bLedOn = true;
  if (m_state.m_pEs.U8(fw::et::kRevision) != fw::kSupportedRevision) {
    if (!StartupMode()) ShowMessage(Host(), kMessageWrongRevision);
    return Exit(1);
  }
  return true;
}

void CMainDialog::ReadLevelAndPhases() {
  const uint16_t status = StatusFlags();
  const uint16_t control = ControlFlags();
  m_state.m_nPhases = 6;
  m_state.m_bSixPhase = true;
  if (control & fw::cf::kPhases12) {
    m_state.m_bSixPhase = false;
    m_state.m_nPhases = 12;
  } else if (control & fw::cf::kPhases24) {
    m_state.m_bSixPhase = false;
    m_state.m_bTwentyFourPhase = true;
    m_state.m_nPhases = 24;
  }
  m_state.m_bPowerMeter = (status & fw::sf::kPowerFigures) != 0;
  m_state.m_bAdvanced = m_info->Read(info::kSetting, info::kAdv, "0", info::kSettingCapacity) == "1";
  m_state.m_nLevel = static_cast<int16_t>((control & fw::cf::kLevelMask) >> fw::cf::kLevelShift);
  if (m_state.m_nLevel % 2 == 0) m_state.m_nLevel = fw::kLevelL1;
}

bool CMainDialog::FindProgramFiles() {
  if (!zor::FindProgramFiles(m_state, m_ports.programDir)) {
    m_ports.boxes.Show(kNoProgramDirText, kNoProgramDirCaption, MessageIcon::Stop);
    return Exit(1);
  }
  m_info = std::make_unique<InfoStore>(m_state.m_strIniPath);
  return true;
}

void CMainDialog::RecordUserPowerSettings() {
  const UserPowerAtStart user = ReadUserPowerAtStart(*m_control, *m_info);
  // A parked plan is the saving plan, still in force.
  if (!user.parked && user.settings.scheme != kPlanBalanced) {
    PlanCommand([](SettingsControl& control) { control.PowerPlans().SetActivePowerPlan(kPlanBalanced); });
  }
  // Kept in INFO.DAT before the saving plan replaces them, for whatever ends this run.
  HoldUserPower(*m_info, user.settings);
  m_state.m_nSavedScheme = user.settings.scheme;
  m_state.m_nSavedDiskTimeout = user.settings.diskTimeout;
  m_state.m_nSavedMonitorTimeout = user.settings.monitorTimeout;
  m_bPowerSaved = true;
}

void CMainDialog::ReadStartDate() {
  const double total = ProfileReal(m_info->Read(info::kValue, info::kTotal, "0", info::kPathCapacity));
  LocalTime& t = m_state.m_stStart;
  if (total == 0) {
    t = m_ports.system.Now();
    // One transaction: the service never sees half a date.
    m_info->Update([&t](InfoFile& file) {
      file.Write(info::kTime, info::kYear, Decimal(t.wYear));
      file.Write(info::kTime, info::kMonth, Decimal(t.wMonth));
      file.Write(info::kTime, info::kDay, Decimal(t.wDay));
      file.Write(info::kTime, info::kHour, Decimal(t.wHour));
      file.Write(info::kTime, info::kMin, Decimal(t.wMinute));
      file.Write(info::kTime, info::kSec, Decimal(t.wSecond));
    });
    return;
  }
  const auto field = [this](const char* key) {
    return static_cast<uint16_t>(
        ProfileInt(m_info->Read(info::kTime, key, "0", info::kPathCapacity)));
  };
  t.wYear = field(info::kYear);
  t.wMonth = field(info::kMonth);
  t.wDay = field(info::kDay);
  t.wHour = field(info::kHour);
  t.wMinute = field(info::kMin);
  t.wSecond = field(info::kSec);
}

void CMainDialog::RegisterAutoStart() {
  // Quoted, so that a folder with blanks cannot start another program.
  const std::string command = "\"" + JoinPath(m_state.m_strAppDir, "zor2.exe") + "\" state";
  RegKey key(m_ports.registry);
  if (!key.Open(RegRoot::LocalMachine, m_state.m_nOsClass < kOsNt6 ? kRunKey : kRunOnceKey)) return;
  std::string existing;
  if (!key.ReadString(kAutoStartValue, &existing)) key.WriteString(kAutoStartValue, command);
  key.Close();
}

bool CMainDialog::BindHwk() {
  if (!m_hwk) {
    m_ports.boxes.Show(kGuiHwkFailureText, kGuiHwkFailureCaption, MessageIcon::None);
    return Exit(kGuiHwkFailureExitCode);
  }
  m_bDemoBoard = m_hwk->IsSimulated();
  return true;
}

bool CMainDialog::FinishDiscovery() {
  const fw::GuiDiscovery d = m_discovery.Wait();
  if (d.status != fw::GuiDiscoveryStatus::Ok) {
    const GuiOutcome o = DiscoveryOutcome(d.status, m_state.m_strAppDir);
    if (o.boxText) m_ports.boxes.Show(o.boxText, o.boxCaption, o.boxIcon);
    if (o.dialogId) ShowMessage(Host(), o.dialogId);
    if (!o.relaunchCommand.empty()) m_ports.processes.StartHidden(o.relaunchCommand);
    return Exit(o.exitCode);
  }
  // The firmware gave both tables: the relaunch helper's count of restarts starts again.
  ResetRelaunchCount(*m_info);
  FillFromDiscovery(m_state, d);
  return true;
}

bool CMainDialog::ClassifyProcessor() {
  const CpuidLeaf1 cpu = m_ports.system.Cpuid1();
  const PlatformClass platform = ClassifyPlatform(cpu.eax);
  m_state.m_bX58 = platform.x58;
  m_state.m_bP55 = platform.p55;
  m_state.m_bP67 = platform.p67;
  if (!NeedsEistCheck(cpu, m_state.m_bAltTable)) return true;
  uint64_t msr = 0;
  // A register that cannot be read tells nothing; the program goes on.
  if (!m_hwk->ReadMSR(kMsrPerformanceControl, &msr) || EistAndC1eOn(msr)) return true;
  ShowMessage(Host(), kMessageEnableEist);
  return Exit(0);
}

void CMainDialog::ApplyCurrentState() {
  SettingsControl& c = *m_control;
  MainState& s = m_settingsState;
  SKIN_BUTTON* push = m_aPush;
  SKIN_RADIO* sel = m_aSelect;
  if (!m_state.m_bSavingOn) {
    push[layout::kOff].latched = 0;
    push[layout::kOn].latched = 1;
    push[layout::kReset].latched = 1;
    return;
  }
  if (m_state.m_b3DPower) sel[layout::kPower3D].selected = 0;
  sel[layout::kMeter].selected = m_state.m_bMeterMode ? 1 : 0;
  sel[layout::kTotal].selected = m_state.m_bMeterMode ? 0 : 1;
  push[layout::kOff].latched = 1;
  push[layout::kOn].latched = 0;
  push[layout::kReset].latched = 0;
  for (int i = layout::kL1; i <= layout::kL4; ++i) sel[i].selected = 0;
  if (m_state.m_bAdvanced) {
    c.ApplyAdvancedSettings();
    m_state.m_bVgaSaving = s.m_bVgaSaving;
    return;
  }
  const int level = m_state.m_nLevel;
  const bool startup = StartupMode();
  // Time-outs recorded at this start (never in start-up mode, where nothing was recorded; an
  // unknown one is refused by the set operations).
  const auto restoreTimeouts = [&] {
    if (startup) return;
    const int monitor = s.m_nSavedMonitorTimeout;
    const int disk = s.m_nSavedDiskTimeout;
    PlanCommand([monitor, disk](SettingsControl& control) {
      control.PowerPlans().SetMonitorTimeout(kPlanBalanced, monitor);
      control.PowerPlans().SetDiskTimeout(kPlanBalanced, disk);
    });
  };
  if (level == fw::kLevelL1) {
    sel[layout::kL1].selected = 1;
    restoreTimeouts();
    m_state.m_bVgaSaving = false;
    c.Vendor().SetGraphicsClockSaving(false);
  } else if (level == fw::kLevelL2 || level == fw::kLevelL3) {
    sel[layout::kL1 + LevelButton(level)].selected = 1;
    PlanCommand([](SettingsControl& control) {
      control.PowerPlans().SetMonitorTimeout(kPlanBalanced, kSavingTimeout);
      control.PowerPlans().SetDiskTimeout(kPlanBalanced, kSavingTimeout);
    });
    m_state.m_bVgaSaving = true;
    c.Vendor().SetGraphicsClockSaving(true);
  }
  s.m_bVgaSaving = m_state.m_bVgaSaving;
  if (c.Firmware().GetPowerItemValue().value_or(0) != 0) c.Firmware().SetPowerItemValue(0);
  c.Firmware().SetVoltSatae(level);
  c.Rails().ApplyRails(level);
}

bool CMainDialog::StartSettings() {
  // The one copy: from here on each side keeps what it learns, and the window hands the worker
  // what it decides inside each task. The settings side learns the rail bases and the graphics
  // clock on its own copy.
  m_settingsState = m_state;
  m_workerBoxes = std::make_unique<PostedBoxes>(m_ports.boxes);
  m_control = std::make_unique<SettingsControl>(
      m_settingsState, WireSettingsPorts(m_ports, *m_hwk, *m_workerBoxes, *m_info));
  m_control->Rails().LoadRailBases();
  if (m_control->ExitRequested()) return Exit(m_control->ExitCode());
  m_control->Vendor().LoadGraphicsClock();
  if (m_control->ExitRequested()) return Exit(m_control->ExitCode());
  return true;
}

void CMainDialog::PlanCommand(std::function<void(SettingsControl&)> command) {
  // Each powercfg command runs to its end, so the window's start hands them to the worker as its
  // first task and shows meanwhile; whatever the user asks next queues behind them. Start-up mode
  // has no worker, and the advanced set writes its time-outs at once, after the plan switch.
  if (StartupMode() || m_state.m_bAdvanced) {
    command(*m_control);
  } else {
    m_startPlanCommands.push_back(std::move(command));
  }
}

void CMainDialog::StartRunning() {
  // The start's power-plan commands and the service go to the worker, so the window shows
  // meanwhile; then the timers.
  m_poster = Host().Poster();
  static_cast<PostedBoxes&>(*m_workerBoxes).PostThrough(m_poster);
  m_worker = std::make_unique<SettingsWorker>(
      *m_control, [this, poster = m_poster](const SettingsWorker::Done& done) {
        // Runs on the window's thread, and only while the window is there.
        if (poster) poster->Post([this, done] { OnWorkerDone(done); });
      });
  Post(kTaskOther, [commands = std::move(m_startPlanCommands)](SettingsControl& c) {
    for (const auto& command : commands) command(c);
    return 0;
  });
  Post(kTaskOther, [](SettingsControl& c) {
    c.Service().EnsureServiceRunning();
    return 0;
  });
  Host().SetTimer(kPhaseTimer, 100);
  Host().SetTimer(kFigureTimer, 1000);
}

}  // namespace zor
