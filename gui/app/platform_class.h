// What zor2 learns from the system at start: the Windows version class and the board's platform
// class from the processor signature.
#pragma once

#include <cstdint>

#include "common/rail_targets.h"
#include "platform/system_info.h"

namespace zor {

// The version class (1 Windows 2000, 2 other NT 5.x, 3 NT 6.x but 6.1, 4 NT 6.1); `unchanged`
// when the version is unknown or not NT. Later NT versions count as NT 6, never as 2000/XP.
int OsClass(const OsVersion& version, int unchanged);

// Older processors must have EIST and C1E on: true when MSR 0x1A0 is to be checked.
bool NeedsEistCheck(const CpuidLeaf1& cpu, bool altTable);

// MSR 0x1A0 has both bit 16 (EIST) and bit 25 (C1E) set.
bool EistAndC1eOn(uint64_t msr);

}  // namespace zor
