// The boards the simulation can be, and the names of its faults, as data for tests and simboard.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/board/board_state.h"

namespace zor::sim {

// The profile a fresh board file gets.
const BoardProfile& DefaultProfile();

// Every known profile, in a stable order; FindProfile returns nullptr for an unknown name.
const BoardProfile* Profiles(size_t* count);
const BoardProfile* FindProfile(const char* name);

struct FaultName {
  Fault fault;
  const char* name;
  const char* description;
};

const FaultName* FaultNames(size_t* count);
// 0 for an unknown name.
uint32_t FindFault(const char* name);

}  // namespace zor::sim
