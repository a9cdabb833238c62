#include "service/rail_reapply.h"

#include "common/firmware_layout.h"
#include "common/info_keys.h"
#include "common/info_store.h"

namespace zor {

RailReapply ReapplyRails(Hwk& hwk, const fw::SmiTarget& target, MemoryView energyTable,
                         uint32_t energyTableAddress, const PlatformClass& platform,
                         const SettingReader& readSetting, TraceSink& trace) {
  const uint16_t control = energyTable.U16(fw::et::kControlFlags);
  if (!(control & fw::cf::kActive)) return RailReapply::kSavingOff;

  MemoryView railTable;
  if (fw::SmiCall(hwk, target, fw::kSmiQuery, fw::kSelectorRailTable).eax == 0) {
    const SmiRegisters address = fw::SmiCall(hwk, target, fw::kSmiAddress, fw::kSelectorRailTable);
    if (address.eax == 0) {
      railTable = fw::RailTableWithin(energyTable, energyTableAddress, address.ebx);
    }
  }
  if (railTable.empty()) {
    trace.Write("\nRailTable not available, rails not re-applied!!\n");
    return RailReapply::kNoRailTable;
  }

  const bool altTable = (energyTable.U16(fw::et::kStatusFlags) & fw::sf::kSmbusRegulator) != 0;
  const RailBases bases = LoadRailBases(energyTable, railTable, altTable);
  const bool advanced = readSetting(info::kAdv, "0") == "1";
  const int level = (control & fw::cf::kLevelMask) >> fw::cf::kLevelShift;
  const std::vector<RailTarget> targets =
      advanced ? AdvancedRailTargets(platform,
                                     [&](const char* key) {
                                       return ProfileInt(readSetting(key, "0")) == 1;
                                     })
               : LevelRailTargets(level, platform);
  for (const RailTarget& t : targets) {
    if (SetRailTarget(railTable, bases, t) == RailWrite::kBelowZero) {
      Tracef(trace, "\nRail %s: reduction below zero, left as it is!!\n", RailKey(t.role));
    }
  }
  fw::ApplyRailTable(hwk, target);
  if (advanced) {
    trace.Write("\nRails re-applied for the advanced set\n");
  } else {
    Tracef(trace, "\nRails re-applied for level %d\n", level);
  }
  return RailReapply::kApplied;
}

}  // namespace zor
