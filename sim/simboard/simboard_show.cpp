// simboard show: the board decoded for a person, one topic per block.
#include <cstring>

#include "common/firmware_layout.h"
#include "common/memory_view.h"
#include "sim/board/board_firmware.h"
#include "sim/board/board_profiles.h"
#include "sim/simboard/simboard_cli.h"

namespace zor::sim {

namespace {

struct BitName {
  uint16_t bit;
  const char* name;
};

constexpr BitName kControlBits[] = {
    {fw::cf::kActive, "active"},       {fw::cf::kUseDivisor, "divisor"},  {fw::cf::kLed, "LED"},
    {fw::cf::kPhases12, "12-phase"},   {fw::cf::kThrottle, "throttle"},   {fw::cf::kLowPower, "low-power"},
    {fw::cf::kPhases24, "24-phase"},   {fw::cf::k3dPower, "3D"},
};

constexpr BitName kStatusBits[] = {
    {fw::sf::kSkip, "skip"},
    {fw::sf::kPowerFigures, "power-figures"},
    {fw::sf::kLowPowerOffered, "low-power-offered"},
    {fw::sf::kRangeMode, "range-mode"},
    {fw::sf::k3dPowerOffered, "3D-offered"},
    {fw::sf::kSmbusRegulator, "smbus-regulator"},
};

template <size_t N>
void PrintBits(std::FILE* out, uint16_t value, const BitName (&names)[N]) {
  for (const BitName& bit : names) {
    if (value & bit.bit) std::fprintf(out, " %s", bit.name);
  }
}

const char* LevelName(int code) {
  if (code == fw::kLevelL1) return "L1";
  if (code == fw::kLevelL2) return "L2";
  if (code == fw::kLevelL3) return "L3";
  return code % 2 == 0 ? "L1 (even code)" : "none";
}

const char* RoleName(uint8_t role) {
  switch (role) {
    case kRoleMemory: return "MEM";
    case kRoleNorthBridge: return "NB";
    case kRoleSouthBridge: return "SB";
    case kRoleVtt: return "VTT";
    case kRolePch: return "PCH";
    default: return "?";
  }
}

const char* VerdictName(PacketVerdict verdict) {
  switch (verdict) {
    case PacketVerdict::kAccepted: return "accepted";
    case PacketVerdict::kUnmapped: return "rejected: not in memory";
    case PacketVerdict::kBadSignature: return "rejected: signature";
    case PacketVerdict::kBadLength: return "rejected: length";
    case PacketVerdict::kBadChecksum: return "rejected: checksum";
  }
  return "?";
}

void PrintHeader(Board& board, std::FILE* out) {
  const BoardState& s = board.State();
  static const char* const kModes[] = {"register", "range", "SMBus"};
  static const char* const kClasses[] = {"none", "X58", "P55", "P67"};
  std::fprintf(out, "profile   %s: %u phases, %s current, class %s, CPUID %05X\n", s.profile.name,
               s.profile.phases, kModes[static_cast<int>(s.profile.currentMode)],
               kClasses[static_cast<int>(s.profile.platform)], static_cast<unsigned>(s.profile.cpuSignature));
  std::fprintf(out, "faults   ");
  if (!s.faults) std::fprintf(out, " none");
  size_t count = 0;
  const FaultName* faults = FaultNames(&count);
  for (size_t i = 0; i < count; ++i) {
    if (s.faults & faults[i].fault) std::fprintf(out, " %s", faults[i].name);
  }
  if (s.addressFailuresLeft) std::fprintf(out, " (next %u address requests fail)", s.addressFailuresLeft);
  std::fprintf(out, "\n");
}

void PrintReadings(Board& board, std::FILE* out) {
  BoardState& s = board.State();
  // Without a pin, show the load the hwk.dll users last saw rather than a guess.
  const int seen = s.lastLoad;
  if (s.pinnedLoad < 0) board.SetLoadSource([seen] { return seen; });
  const Readings r = board.Measure();
  if (s.pinnedLoad >= 0) {
    std::fprintf(out, "load      pinned at %d %%\n", s.pinnedLoad);
  } else {
    std::fprintf(out, "load      host's load, last seen %d %%\n", r.load);
  }
  std::fprintf(out, "readings  %.1f W, %.3f V, %.1f A; raw voltage %u%s, raw current %u%s; phases %u of 6 (index %u)\n",
               r.watts, r.volts, r.amps, r.voltageRaw, s.pinnedVoltageRaw >= 0 ? " (pinned)" : "",
               r.currentRaw, s.pinnedCurrentRaw >= 0 ? " (pinned)" : "", r.activePhases, r.phaseIndex);
}

void PrintTables(Board& board, std::FILE* out) {
  const BoardState& s = board.State();
  const MemoryView table(const_cast<uint8_t*>(s.tables), sizeof s.tables);
  const uint16_t flags = board.ControlFlags();
  const int level = (flags & fw::cf::kLevelMask) >> fw::cf::kLevelShift;
  std::fprintf(out, "control   0x%04X: level code %d (%s), row mode %d;", flags, level, LevelName(level),
               (flags & fw::cf::kRowModeMask) >> fw::cf::kRowModeShift);
  PrintBits(out, flags, kControlBits);
  std::fprintf(out, "\nstatus    0x%04X:", board.StatusFlags());
  PrintBits(out, board.StatusFlags(), kStatusBits);
  std::fprintf(out, "\ntables    EnergyTable 0x%08X revision 0x%02X, phase word 0x%04X; RailTable 0x%08X\n",
               kEnergyTablePhys, table.U8(fw::et::kRevision), table.U16(fw::et::kPhaseMask), kRailTablePhys);

  // Rails: the profile's roles, the RailTable's present values, what the firmware applied.
  const uint32_t profile = ProfileOffset(s.profile);
  const uint32_t items = table.U8(profile + fw::pf::kRailCount);
  const MemoryView rail = table.Sub(kRailTableOffset, kTablesLength - kRailTableOffset);
  uint32_t at = fw::rt::kEntries;
  for (uint32_t i = 0; i < kMaxRails && s.railIds[i]; ++i) {
    uint8_t role = 0;
    uint32_t stored = 0;
    for (uint32_t k = 0; k < items && k < kMaxRails; ++k) {
      const uint32_t item = profile + fw::pf::kRails + k * fw::pf::kItemSize;
      if (table.U8(item + fw::rail_item::kRailId) == s.railIds[i]) {
        role = table.U8(item + fw::rail_item::kRole);
        stored = table.U32(item + fw::rail_item::kBase);
      }
    }
    std::fprintf(out, "rail      0x%02X %-3s nominal %u, stored base %u, present %u, applied %u\n", s.railIds[i],
                 RoleName(role), s.railBases[i], stored, rail.U32(at + fw::rt::kPresentValue), s.appliedRails[i]);
    at += fw::rt::kEntryFixedSize + rail.U32(at + fw::rt::kSubCount) * fw::rt::kSubSize;
  }
  std::fprintf(out, "          RailTable applied %u times\n", s.railApplies);

  bool found = false;
  for (uint32_t offset = 0; offset + 4 <= sizeof s.rom && !found; ++offset) {
    if (std::memcmp(s.rom + offset, fw::kRomSignature, 4) == 0) {
      std::fprintf(out, "ROM       \"DECG\" at 0x%08X, value 0x%04X\n", fw::kRomPhys + offset, board.RomValue());
      found = true;
    }
  }
  if (!found) std::fprintf(out, "ROM       no \"DECG\" block\n");
}

void PrintFanAndClock(Board& board, std::FILE* out) {
  const BoardState& s = board.State();
  const int spread = static_cast<int>(s.fan.pwm[1]) - static_cast<int>(s.fan.pwm[0]);
  std::fprintf(out, "fan       point 0: PWM %u at %u, point 1: PWM %u at %u (%s curve, %u writes)%s\n", s.fan.pwm[0],
               s.fan.temperature[0], s.fan.pwm[1], s.fan.temperature[1], spread > 50 ? "energy-saving" : "normal",
               s.fan.writes, board.FanUsable() ? "" : ", controller unusable");
  std::fprintf(out, "clock     setting %d, core %u MHz (%u calls)%s\n", s.clock.setting, s.clock.coreMHz, s.clock.calls,
               board.ClockUsable() ? "" : ", card not supported");
}

void PrintLogs(const BoardState& s, std::FILE* out) {
  const uint32_t packets = s.packetCount < kPacketLogSize ? s.packetCount : kPacketLogSize;
  std::fprintf(out, "packets   %u in all, last %u:\n", s.packetCount, packets);
  for (uint32_t n = s.packetCount - packets; n < s.packetCount; ++n) {
    const PacketLogEntry& p = s.packets[n % kPacketLogSize];
    const MemoryView bytes(const_cast<uint8_t*>(p.bytes), sizeof p.bytes);
    std::fprintf(out, "  #%u at 0x%08X %s: flags 0x%04X word 0x%04X revision 0x%02X divisor %u |", p.sequence,
                 p.physical, VerdictName(p.verdict), bytes.U16(fw::tp::kControlFlags),
                 bytes.U16(fw::tp::kPhaseWord), p.bytes[fw::tp::kRevision], p.bytes[fw::tp::kSaveDivisor]);
    for (uint8_t b : p.bytes) std::fprintf(out, " %02X", b);
    std::fprintf(out, "\n");
  }
  const uint32_t calls = s.smiCount < kSmiLogSize ? s.smiCount : kSmiLogSize;
  std::fprintf(out, "SMI       %u calls in all, last %u:\n", s.smiCount, calls);
  for (uint32_t n = s.smiCount - calls; n < s.smiCount; ++n) {
    const SmiLogEntry& c = s.smiCalls[n % kSmiLogSize];
    std::fprintf(out, "  #%u EAX %08X EBX %08X ECX %08X EDX %08X ESI %08X EDI %08X -> EAX %08X EBX %08X\n",
                 c.sequence, c.in[0], c.in[1], c.in[2], c.in[3], c.in[4], c.in[5], c.eaxOut, c.ebxOut);
  }
}

}  // namespace

void PrintBoard(Board& board, std::FILE* out) {
  PrintHeader(board, out);
  PrintReadings(board, out);
  PrintTables(board, out);
  PrintFanAndClock(board, out);
  PrintLogs(board.State(), out);
}

}  // namespace zor::sim
