// Lays out what the firmware puts in memory for a profile: the "$ESY4" pointers, the EnergyTable with
// its profile, VrBlock and CurrentRanges, the RailTable and the ROM's "DECG" block.
#pragma once

#include <cstdint>

#include "sim/board/board_state.h"

namespace zor::sim {

// Rail roles as the EnergyTable's RailItems name them.
constexpr uint8_t kRoleMemory = 1;
constexpr uint8_t kRoleNorthBridge = 2;
constexpr uint8_t kRoleSouthBridge = 3;
constexpr uint8_t kRoleVtt = 4;
constexpr uint8_t kRolePch = 11;

// Writes every firmware structure from state.profile, then the layout faults in state.faults.
void BuildFirmware(BoardState& state);

// Rewrites the fields the layout faults touch: the bad value while a fault is set, the firmware's
// own value otherwise. Everything else (flags, stored bases, the ROM value) is left as it is.
void ApplyLayoutFaults(BoardState& state);

// Offset of the profile the firmware filled in (46 + 14 * k).
uint32_t ProfileOffset(const BoardProfile& profile);

// VrBlock phase-setting coefficients (amperes per reading count, times 100000).
constexpr uint32_t kPhaseSettings = 6;
uint32_t PhaseCoefficient(uint32_t index);

// CurrentRange entries of range-mode boards: lowest, highest, coefficient.
struct RangeEntry {
  uint16_t low;
  uint16_t high;
  uint32_t coefficient;
};
constexpr uint32_t kRangeCount = 2;
const RangeEntry& Range(uint32_t index);
constexpr uint32_t kCurrentScale = 50000;  // register mode: 0.5 A per count

}  // namespace zor::sim
