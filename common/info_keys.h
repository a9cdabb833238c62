// The sections and keys of INFO.DAT that the two programs share: what the service publishes and
// the window reads, what the window parks for its next start, and the settings of the advanced set.
// Keys match without regard to case; the spellings here are the ones each program writes.
#pragma once

#include <cstddef>

namespace zor::info {

// Buffer capacities of the reads (the text is at most one less).
constexpr size_t kPathCapacity = 260;
constexpr size_t kSettingCapacity = 255;

// [VALUE]: the service's figures, about once a second.
constexpr char kValue[] = "VALUE";
constexpr char kCpuMax[] = "CPU_MAX";    // processor power now, W
constexpr char kVout[] = "VOUT";         // processor voltage, V
constexpr char kCurrent[] = "Current";   // energy saved since the last reset
constexpr char kTotal[] = "Total";       // energy saved since the start date
constexpr char kSaveTime[] = "SaveTime"; // seconds of saving since the last reset
constexpr char kUsage[] = "Usage";       // processor load, %
constexpr char kPhase[] = "Phase";       // active phases (alternative table)
constexpr char kCmd[] = "Cmd";           // "1" asks the service to reset Current and SaveTime

// [TIME]: the date since which Total counts.
constexpr char kTime[] = "TIME";
constexpr char kYear[] = "YEAR";
constexpr char kMonth[] = "MONTH";
constexpr char kDay[] = "DAY";
constexpr char kHour[] = "HOUR";
constexpr char kMin[] = "MIN";
constexpr char kSec[] = "SEC";

// [INFO]: the user's power settings, parked when saving was left in force at close.
constexpr char kInfo[] = "INFO";
constexpr char kPv[] = "PV";
constexpr char kPowerValue[] = "POWERVALUE";
constexpr char kDisk[] = "DISK";
constexpr char kMonitor[] = "MONITOR";

// [UserPower]: the user's own power settings, recorded at each interactive start before the saving
// plan replaces them and cleared by every clean ending. A start or "zor2.exe restore" that finds
// "Held" = "1" knows the last run ended without giving them back (a crash, a kill, a power cut).
constexpr char kUserPower[] = "UserPower";
constexpr char kUserHeld[] = "Held";
constexpr char kUserScheme[] = "Scheme";
constexpr char kUserDisk[] = "Disk";        // minutes; -1 unknown (never given back)
constexpr char kUserMonitor[] = "Monitor";  // minutes; -1 unknown

// [Main]
constexpr char kMain[] = "Main";
constexpr char kBuild[] = "Build";

// [Metrics]: "Folder", where the service keeps its metrics file for a Prometheus textfile
// collector; no metrics while it is unset.
constexpr char kMetrics[] = "Metrics";
constexpr char kMetricsFolder[] = "Folder";

// [History]: "Price" of a kWh (a point or a comma before the fraction) and its "Currency", so that
// zorstat shows the measured CPU energy as money; nothing of the kind while either is unset.
constexpr char kHistory[] = "History";
constexpr char kHistoryPrice[] = "Price";
constexpr char kHistoryCurrency[] = "Currency";

// [SETTING]: the advanced set.
constexpr char kSetting[] = "SETTING";
constexpr char kAdv[] = "Adv";

}  // namespace zor::info
