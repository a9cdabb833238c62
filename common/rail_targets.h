// Voltage rails, for both programs: each role's RailTable entry and base value, the targets a
// level or the advanced set asks for, and writing one target into the mapped RailTable.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "common/memory_view.h"

namespace zor {

// Voltage rail roles, in the order the settings keep them.
enum RailRole { kRailNorthBridge = 0, kRailSouthBridge, kRailVtt, kRailMemory, kRailPch, kRailRoles };

struct RailSlot {
  uint32_t offset = 0;  // entry offset from the RailTable's start; 0 = no rail on this board
  uint32_t base = 0;    // the rail's base value, in the table's units
};

struct RailBases {
  RailSlot rails[kRailRoles];
  uint32_t pchOverride = 0;  // 0 = none
};

// The board's platform class, from the processor signature.
struct PlatformClass {
  bool x58 = false;
  bool p55 = false;
  bool p67 = false;
};

// From CPUID leaf 1's signature (EAX), compared unsigned.
PlatformClass ClassifyPlatform(uint32_t signature);

// One target: the base minus the reduction, or the base itself.
struct RailTarget {
  int role;
  uint32_t reduction;
  bool useBase;
};

// Finds each role's entry and base. A base not yet stored in the profile is taken from the
// entry's present value and stored, so a later start finds it even after the rail was lowered.
RailBases LoadRailBases(MemoryView energyTable, MemoryView railTable, bool altTable);

enum class RailWrite { kWritten, kNoRail, kBelowZero };

// Writes a role's target into the RailTable's entry; kBelowZero writes nothing.
RailWrite SetRailTarget(MemoryView railTable, const RailBases& bases, const RailTarget& target);

// The targets of a level, in the order they are written.
std::vector<RailTarget> LevelRailTargets(int level, const PlatformClass& platform);

// The targets of the advanced set; reduced(key) says whether the "SETTING" key is 1.
std::vector<RailTarget> AdvancedRailTargets(const PlatformClass& platform,
                                            const std::function<bool(const char* key)>& reduced);

// The "SETTING" key of a role ("NB", "SB", "VTT", "MEM", "PCH").
const char* RailKey(int role);

}  // namespace zor
