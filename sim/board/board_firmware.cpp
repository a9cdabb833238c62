#include "sim/board/board_firmware.h"

#include <cstring>

#include "common/firmware_layout.h"
#include "common/memory_view.h"

namespace zor::sim {

namespace {

struct RailSpec {
  uint8_t role;
  uint8_t id;
  uint32_t nominal;  // microvolts
  uint32_t second;   // role 11: the value the PCH sub-entries adjust
};

constexpr RailSpec kBridgeRails[] = {
    {kRoleMemory, 0x31, 1500000, 0},
    {kRoleNorthBridge, 0x32, 1100000, 0},
    {kRoleSouthBridge, 0x33, 1050000, 0},
    {kRoleVtt, 0x34, 1200000, 0},
};
constexpr RailSpec kPchRails[] = {
    {kRoleMemory, 0x31, 1500000, 0},
    {kRoleVtt, 0x34, 1100000, 0},
    {kRolePch, 0x3B, 1050000, 1100000},
};

// PCH sub-entries: lower bound, adjustment, upper bound.
constexpr uint32_t kPchSubs[][3] = {{1000000, 40000, 1060000}, {1060001, 20000, 1200000}};

constexpr uint32_t kPhaseCoefficients[kPhaseSettings] = {20000, 26000, 32000, 38000, 44000, 50000};
constexpr RangeEntry kRanges[kRangeCount] = {{0, 100, 60000}, {101, 254, 50000}};

constexpr uint16_t kVrOffsetOutside = kTablesLength - 0x20;
constexpr uint32_t kRangeCountOutside = 0x10000;
constexpr uint16_t kRailCountOutside = 0xFFFF;
constexpr uint8_t kCountOutside = 0xFF;
constexpr uint8_t kFaultyRevision = 0x20;
constexpr uint16_t kProbePhases = 0x0003;
constexpr uint8_t kEfficiencyIndex = 10;
constexpr uint8_t kSaveDivisor = 8;
constexpr uint16_t kAllPhases = 0x003F;
constexpr uint16_t kFreeItemValue = 0;
constexpr uint16_t kUsedItemValue = 0x0010;

const RailSpec* RailsFor(PlatformClass platform, uint32_t* count) {
  if (platform == PlatformClass::kP55 || platform == PlatformClass::kP67) {
    *count = sizeof kPchRails / sizeof kPchRails[0];
    return kPchRails;
  }
  *count = sizeof kBridgeRails / sizeof kBridgeRails[0];
  return kBridgeRails;
}

uint16_t StatusFor(const BoardProfile& profile) {
  uint16_t status = 0;
  if (profile.powerFigures) status |= fw::sf::kPowerFigures;
  if (profile.offersLowPower) status |= fw::sf::kLowPowerOffered;
  if (profile.currentMode == CurrentMode::kRange) status |= fw::sf::kRangeMode;
  if (profile.offers3d) status |= fw::sf::k3dPowerOffered;
  if (profile.currentMode == CurrentMode::kSmbus) status |= fw::sf::kSmbusRegulator;
  return status;
}

uint16_t PhaseBits(const BoardProfile& profile) {
  if (profile.phases == 12) return fw::cf::kPhases12;
  if (profile.phases == 24) return fw::cf::kPhases24;
  return 0;
}

void WriteEsy(MemoryView bios, uint32_t offset, uint16_t port, uint8_t type) {
  bios.WriteBytes(offset, fw::kEsySignature, fw::kEsySignatureLength);
  bios.Write16(offset + fw::esy::kSmiPort, port);
  bios.Write8(offset + fw::esy::kSmiType, type);
}

void BuildEnergyTable(BoardState& state) {
  const BoardProfile& profile = state.profile;
  MemoryView table(state.tables, sizeof state.tables);
  table.WriteBytes(0, "ZETB", 4);
  table.Write8(fw::et::kRevision, fw::kSupportedRevision);
  table.Write8(fw::et::kPacketByte7, 0x01);
  table.Write16(fw::et::kControlFlags,
                static_cast<uint16_t>((profile.controlFlags & ~(fw::cf::kPhases12 | fw::cf::kPhases24)) |
                                      PhaseBits(profile)));
  table.Write16(fw::et::kPhaseMask, kAllPhases);
  table.Write16(fw::et::kAutoOffWord, kAllPhases);
  table.Write8(fw::et::kSaveDivisor, kSaveDivisor);
  table.Write16(fw::et::kStatusFlags, StatusFor(profile));
  table.Write16(fw::et::kSensorIndexPort, kSensorIndexPort);
  table.Write16(fw::et::kSensorDataPort, kSensorDataPort);
  table.Write16(fw::et::kVoltageRegister, kVoltageRegister);
  table.Write16(fw::et::kVoltageStepMv, kVoltageStepMv);
  table.Write16(fw::et::kCurrentRegister, kCurrentRegister);
  table.Write8(fw::et::kEfficiencyIndex, kEfficiencyIndex);
  table.Write8(fw::et::kProfileNumber, profile.profileNumber);
  table.Write16(fw::et::kProbeFlag, profile.phaseProbe ? 0 : 1);
  if (profile.phaseProbe) {
    table.Write32(fw::et::kProbePort, kProbePort);
    table.Write8(fw::et::kProbeMask, kProbeMask);
    table.Write8(fw::et::kProbeValue, kProbeMask);
    table.Write16(fw::et::kProbePhases, kProbePhases);
  }
  if (profile.currentMode == CurrentMode::kRange) {
    for (uint32_t i = 0; i < kRangeCount; ++i) {
      const uint32_t at = fw::et::kCurrentRanges + i * fw::cr::kSize;
      table.Write16(at + fw::cr::kLow, kRanges[i].low);
      table.Write16(at + fw::cr::kHigh, kRanges[i].high);
      table.Write32(at + fw::cr::kCoefficient, kRanges[i].coefficient);
    }
  }
  if (profile.currentMode == CurrentMode::kSmbus) {
    MemoryView vr = table.Sub(kVrBlockOffset, fw::vr::kEntries + kPhaseSettings * fw::vr::kEntrySize);
    vr.Write8(fw::vr::kSmbusAddress, kRegulatorAddress);
    vr.Write8(fw::vr::kPhaseCommand, kPhaseCommand);
    for (uint32_t i = 0; i < kPhaseSettings; ++i) {
      vr.Write32(fw::vr::kEntries + i * fw::vr::kEntrySize + fw::vr::kEntryCoefficient,
                 kPhaseCoefficients[i]);
    }
  }

  // The one profile the firmware fills in: its rails, then a used and a free PowerItem.
  uint32_t railCount = 0;
  const RailSpec* rails = RailsFor(profile.platform, &railCount);
  const uint32_t at = ProfileOffset(profile);
  table.Write8(at + fw::pf::kRailCount, static_cast<uint8_t>(railCount));
  for (uint32_t i = 0; i < railCount; ++i) {
    const uint32_t item = at + fw::pf::kRails + i * fw::pf::kItemSize;
    table.Write8(item + fw::rail_item::kRole, rails[i].role);
    table.Write8(item + fw::rail_item::kRailId, rails[i].id);
  }
  const uint32_t powerAt = at + fw::pf::kRails + railCount * fw::pf::kItemSize;
  table.Write8(powerAt, 2);
  table.Write16(powerAt + 1 + fw::power_item::kValue, kUsedItemValue);
  table.Write8(powerAt + 1 + fw::power_item::kFlags, 0x01);
  table.Write16(powerAt + 1 + fw::pf::kItemSize + fw::power_item::kValue, kFreeItemValue);
}

void BuildRailTable(BoardState& state) {
  MemoryView rail(state.tables + kRailTableOffset, kTablesLength - kRailTableOffset);
  uint32_t count = 0;
  const RailSpec* rails = RailsFor(state.profile.platform, &count);
  rail.WriteBytes(0, "ZRTB", 4);
  rail.Write16(fw::rt::kEntryCount, static_cast<uint16_t>(count));
  uint32_t at = fw::rt::kEntries;
  for (uint32_t i = 0; i < count; ++i) {
    const bool pch = rails[i].role == kRolePch;
    const uint32_t subs = pch ? 2 : 0;
    rail.Write8(at + fw::rt::kRailId, rails[i].id);
    rail.Write32(at + fw::rt::kSecondValue, rails[i].second);
    rail.Write32(at + fw::rt::kPresentValue, rails[i].nominal);
    rail.Write32(at + fw::rt::kSubCount, subs);
    for (uint32_t s = 0; s < subs; ++s) {
      const uint32_t sub = at + fw::rt::kSubEntries + s * fw::rt::kSubSize;
      rail.Write32(sub + fw::rt::kSubLower, kPchSubs[s][0]);
      rail.Write32(sub + fw::rt::kSubAdjust, kPchSubs[s][1]);
      rail.Write32(sub + fw::rt::kSubUpper, kPchSubs[s][2]);
    }
    state.railIds[i] = rails[i].id;
    state.railBases[i] = rails[i].nominal;
    state.appliedRails[i] = rails[i].nominal;
    at += fw::rt::kEntryFixedSize + subs * fw::rt::kSubSize;
  }
}

void BuildRom(BoardState& state) {
  std::memset(state.rom, 0xFF, sizeof state.rom);
  MemoryView rom(state.rom, sizeof state.rom);
  rom.WriteBytes(kRomBlockOffset, fw::kRomSignature, 4);
  rom.Write16(kRomBlockOffset + fw::kRomValueOffset, 0);
  // The reset vector: a far jump, as a real ROM's last paragraph holds.
  const uint8_t resetVector[] = {0xEA, 0x5B, 0xE0, 0x00, 0xF0};
  rom.WriteBytes(sizeof state.rom - 16, resetVector, sizeof resetVector);
}

}  // namespace

uint32_t ProfileOffset(const BoardProfile& profile) {
  const uint32_t k = profile.profileNumber ? profile.profileNumber : 1;
  return fw::et::kProfileBase + fw::et::kProfileStride * k;
}

uint32_t PhaseCoefficient(uint32_t index) {
  return index < kPhaseSettings ? kPhaseCoefficients[index] : 0;
}

const RangeEntry& Range(uint32_t index) { return kRanges[index < kRangeCount ? index : 0]; }

void BuildFirmware(BoardState& state) {
  std::memset(state.bios, 0, sizeof state.bios);
  std::memset(state.tables, 0, sizeof state.tables);
  MemoryView bios(state.bios, sizeof state.bios);
  bios.WriteBytes(0xE000, "ZOR BIOS", 8);
  BuildEnergyTable(state);
  BuildRailTable(state);
  BuildRom(state);
  ApplyLayoutFaults(state);
}

void ApplyLayoutFaults(BoardState& state) {
  const uint32_t faults = state.faults;
  const BoardProfile& profile = state.profile;
  MemoryView bios(state.bios, sizeof state.bios);
  MemoryView table(state.tables, sizeof state.tables);
  MemoryView rom(state.rom, sizeof state.rom);

  // "$ESY4": an older pointer first, the live one later, so the last match is the one that works.
  if (faults & kFaultNoEsy) {
    const uint8_t blank[fw::esy::kSize] = {};
    bios.WriteBytes(kStaleEsyOffset, blank, sizeof blank);
    bios.WriteBytes(kEsyOffset, blank, sizeof blank);
  } else {
    WriteEsy(bios, kStaleEsyOffset, kStaleSmiPort, 0);
    WriteEsy(bios, kEsyOffset, (faults & kFaultEsyPortZero) ? 0 : kSmiPort, kSmiType);
  }

  table.Write8(fw::et::kRevision, (faults & kFaultRevision) ? kFaultyRevision : fw::kSupportedRevision);
  const bool smbus = profile.currentMode == CurrentMode::kSmbus;
  table.Write16(fw::et::kVrBlockOffset, (faults & kFaultVrOffsetOutside) ? kVrOffsetOutside
                                        : smbus                          ? kVrBlockOffset
                                                                         : 0);
  if (smbus) {
    table.Write8(kVrBlockOffset + fw::vr::kEntryCount,
                 (faults & kFaultVrCountOutside) ? kCountOutside : kPhaseSettings);
  }
  const bool range = profile.currentMode == CurrentMode::kRange;
  table.Write32(fw::et::kCurrentScale, (faults & kFaultRangeCount) ? kRangeCountOutside
                                       : range                     ? kRangeCount
                                                                   : kCurrentScale);

  uint32_t railCount = 0;
  RailsFor(profile.platform, &railCount);
  const uint32_t at = ProfileOffset(profile);
  const uint32_t farCount = at + fw::pf::kRails + kCountOutside * fw::pf::kItemSize;
  const bool counts = (faults & kFaultProfileCounts) != 0;
  table.Write8(at + fw::pf::kRailCount, counts ? kCountOutside : static_cast<uint8_t>(railCount));
  table.Write8(farCount, counts ? kCountOutside : 0);

  table.Write16(kRailTableOffset + fw::rt::kEntryCount,
                (faults & kFaultRailCount) ? kRailCountOutside : static_cast<uint16_t>(railCount));

  // "DECG" moves between its usual place and the end of a page; its value moves with it.
  const uint32_t where = (faults & kFaultDecgPageEnd) ? kRomBlockAtPageEnd : kRomBlockOffset;
  const uint32_t other = (faults & kFaultDecgPageEnd) ? kRomBlockOffset : kRomBlockAtPageEnd;
  uint16_t value = rom.U16(where + fw::kRomValueOffset);
  if (std::memcmp(state.rom + other, fw::kRomSignature, 4) == 0) {
    value = rom.U16(other + fw::kRomValueOffset);
    const uint8_t erased[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    rom.WriteBytes(other, erased, sizeof erased);
  }
  if (faults & kFaultNoDecg) {
    const uint8_t erased[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    rom.WriteBytes(where, erased, sizeof erased);
  } else {
    rom.WriteBytes(where, fw::kRomSignature, 4);
  }
  rom.Write16(where + fw::kRomValueOffset, value);
}

}  // namespace zor::sim
