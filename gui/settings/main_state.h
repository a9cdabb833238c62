// What the main window knows about the system, the processor, the firmware and the user's
// settings. The window owns one MainState; the settings operations (gui/settings) work on it, the
// window's painting and commands read it. Member names follow the window's own naming.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/memory_view.h"
#include "common/rail_targets.h"
#include "platform/system_info.h"
#include "platform/vendor_libraries.h"

namespace zor {

// Operating-system version classes.
constexpr int kOsWindows2000 = 1;
constexpr int kOsNt5 = 2;      // any other NT 5.x or lower
constexpr int kOsNt6 = 3;      // NT 6.x other than 6.1
constexpr int kOsNt61 = 4;

constexpr uint32_t kMagenta = 0x00FF00FF;  // COLORREF of transparent skin pixels

struct MainState {
  std::string m_strCmdLine;  // lower-cased
  std::string m_strAppDir;   // no trailing separator
  std::string m_strIniPath;  // m_strAppDir + "\Info.dat"
  int32_t m_nOsClass = 0;

  // The user's Windows power settings recorded at start, given back at close.
  int32_t m_nSavedScheme = 0;
  int32_t m_nSavedDiskTimeout = 0;     // minutes
  int32_t m_nSavedMonitorTimeout = 0;  // minutes
  LocalTime m_stStart;

  // Firmware access: SMI target, table addresses and zor2's mapping of the EnergyTable.
  uint16_t m_wSmiType = 0;
  uint16_t m_wSmiPort = 0;
  uint32_t m_dwEsAddr = 0;
  uint32_t m_dwEs2Addr = 0;
  MemoryView m_pEs;  // 4608 bytes from m_dwEsAddr; the RailTable lies inside

  // Capabilities and present settings read from the EnergyTable.
  bool m_bSavingOn = false;
  bool m_bLedOn = false;
  int16_t m_nLevel = 1;  // level code: 5 L1, 3 L2, 1 L3
  bool m_bAltTable = false;
  bool m_b3DPower = false;
  bool m_bPowerMeter = false;
  uint16_t m_nPhases = 6;
  bool m_bSixPhase = true;
  bool m_bTwentyFourPhase = false;

  // Platform class from the processor signature; at most one is set.
  bool m_bX58 = false;
  bool m_bP55 = false;
  bool m_bP67 = false;

  bool m_bAdvanced = false;   // INFO.DAT [SETTING] "Adv" is "1"
  bool m_bMeterMode = true;   // savings since the last reset, rather than the total
  bool m_bVgaSaving = false;  // the graphics clock reduction is wanted

  uint32_t m_crKey = kMagenta;
  uint32_t m_crTolerance = kMagenta;

  // Voltage rails found at start and the PCH override (0 = none).
  RailSlot m_aRails[kRailRoles];
  uint32_t m_dwPchOverride = 0;

  // Graphics clock library, bound once at start and kept for the process's life (shared, so that
  // the settings worker's copy of the state reaches the same library).
  std::shared_ptr<ClockLibrary> m_hClockLib;
  uint8_t m_bClockReady = 0;  // ClockvaneInit reported success
  uint8_t m_bClockLow = 0;    // last state passed on: 1 lowered
};

}  // namespace zor
