#include "sim/board/board_profiles.h"

#include <cstring>

#include "common/firmware_layout.h"

namespace zor::sim {

namespace {

constexpr uint16_t kActiveL2 = fw::cf::kActive | fw::cf::kLed | (fw::kLevelL2 << fw::cf::kLevelShift);
constexpr uint16_t kActiveL1 = fw::cf::kActive | fw::cf::kLed | (fw::kLevelL1 << fw::cf::kLevelShift);

// name, phases, current mode, platform, 3D, low power, figures, profile k, probe, CPUID, flags
const BoardProfile kProfiles[] = {
    {"x58-6", 6, CurrentMode::kRegister, PlatformClass::kX58, 0, 1, 1, 1, 0, 0x106A5, kActiveL2, {}},
    {"x58-12-range", 12, CurrentMode::kRange, PlatformClass::kX58, 1, 1, 1, 3, 0, 0x106A5,
     kActiveL2, {}},
    {"p55-24-smbus", 24, CurrentMode::kSmbus, PlatformClass::kP55, 1, 0, 1, 1, 0, 0x106E5,
     kActiveL2, {}},
    {"p67-12-smbus", 12, CurrentMode::kSmbus, PlatformClass::kP67, 1, 1, 1, 1, 0, 0x206A7,
     kActiveL1, {}},
    {"core2-6-probe", 6, CurrentMode::kRegister, PlatformClass::kNone, 0, 0, 1, 2, 1, 0x10676,
     kActiveL2, {}},
    {"x58-6-off", 6, CurrentMode::kRegister, PlatformClass::kX58, 0, 1, 0, 1, 0, 0x106A5,
     fw::cf::kLed | (fw::kLevelL1 << fw::cf::kLevelShift), {}},
};

const FaultName kFaults[] = {
    {kFaultFfVoltage, "ff-voltage", "the voltage register reads 0xFF"},
    {kFaultFfCurrent, "ff-current", "the current register reads 0xFF"},
    {kFaultFfPhase, "ff-phase", "the voltage regulator answers 0xFF"},
    {kFaultSmbusStuck, "smbus-stuck", "the SMBus host controller stays busy"},
    {kFaultRefuseQueryEt, "refuse-b0-b8", "function 0xB0 for the EnergyTable fails"},
    {kFaultRefuseQueryRt, "refuse-b0-b9", "function 0xB0 for the RailTable fails"},
    {kFaultRefuseAddressEt, "refuse-b1-b8", "function 0xB1 for the EnergyTable fails"},
    {kFaultRefuseAddressRt, "refuse-b1-b9", "function 0xB1 for the RailTable fails (no address)"},
    {kFaultRevision, "revision", "the EnergyTable revision is 0x20"},
    {kFaultNoDecg, "no-decg", "the ROM holds no \"DECG\" block"},
    {kFaultNoEsy, "no-esy", "the BIOS area holds no \"$ESY4\" pointer"},
    {kFaultEsyPortZero, "esy-port-zero", "the live pointer has SMI port 0"},
    {kFaultVrOffsetOutside, "vr-offset-outside", "the VrBlock offset points past the table"},
    {kFaultVrCountOutside, "vr-count-outside", "the VrBlock entry count runs past the table"},
    {kFaultProfileCounts, "profile-counts", "the profile's item counts run past the table"},
    {kFaultRangeCount, "range-count", "the CurrentRange count runs past the table"},
    {kFaultRailCount, "rail-count", "the RailTable entry count runs past the mapping"},
    {kFaultDecgPageEnd, "decg-page-end", "\"DECG\" lies in the last four bytes of a ROM page"},
    {kFaultEistOff, "eist-off", "MSR 0x1A0 reports EIST and C1E switched off"},
    {kFaultFanUnusable, "fan-unusable", "the fan controller is not usable"},
    {kFaultClockUnsupported, "clock-unsupported", "the graphics clock cannot be controlled"},
};

}  // namespace

const BoardProfile& DefaultProfile() { return kProfiles[0]; }

const BoardProfile* Profiles(size_t* count) {
  *count = sizeof kProfiles / sizeof kProfiles[0];
  return kProfiles;
}

const BoardProfile* FindProfile(const char* name) {
  for (const BoardProfile& profile : kProfiles) {
    if (std::strcmp(profile.name, name) == 0) return &profile;
  }
  return nullptr;
}

const FaultName* FaultNames(size_t* count) {
  *count = sizeof kFaults / sizeof kFaults[0];
  return kFaults;
}

uint32_t FindFault(const char* name) {
  for (const FaultName& fault : kFaults) {
    if (std::strcmp(fault.name, name) == 0) return fault.fault;
  }
  return 0;
}

}  // namespace zor::sim
