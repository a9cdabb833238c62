#include "sim/board/board.h"

#include <cstring>

#include "common/firmware_layout.h"
#include "common/memory_view.h"
#include "sim/board/board_firmware.h"

namespace zor::sim {

namespace {

// EAX the firmware hands back for a function it does not carry out.
constexpr uint32_t kSmiRefused = 0x8600;

constexpr uint32_t kPciEnable = 0x80000000u;
constexpr uint32_t kSmbusPciAddress = kPciEnable | (31u << 11) | (3u << 8);  // bus 0, 31:3
constexpr uint32_t kSmbusIds = 0x3A308086u;  // vendor and device of the chipset's SMBus function
constexpr uint32_t kSmbusClass = 0x0C050000u;
constexpr uint32_t kPciBarRegister = 0x20;

// IA32_MISC_ENABLE with enhanced speed-step (bit 16) and C1E (bit 25) on.
constexpr uint64_t kMiscEnable = 0x0000000000850089ull | (1ull << 16) | (1ull << 25);

struct Region {
  uint64_t base;
  uint64_t length;
  size_t fieldOffset;
};

const Region kRegions[] = {
    {fw::kBiosAreaPhys, fw::kBiosAreaLength, offsetof(BoardState, bios)},
    {kEnergyTablePhys, kTablesLength, offsetof(BoardState, tables)},
    {fw::kRomPhys, fw::kRomLength, offsetof(BoardState, rom)},
    {kPoolPhys, kPoolSlots * kPoolSlotLength, offsetof(BoardState, pool)},
};

}  // namespace

void Board::Create(BoardState& state, const BoardProfile& profile) {
  std::memset(&state, 0, sizeof state);
  state.magic = kBoardMagic;
  state.version = kBoardVersion;
  state.size = sizeof state;
  state.profile = profile;
  state.profile.name[sizeof state.profile.name - 1] = '\0';
  state.pinnedLoad = -1;
  state.pinnedVoltageRaw = -1;
  state.pinnedCurrentRaw = -1;
  state.fan = {{90, 100}, {20, 30}, 0};
  state.clock = {0, 850, 0};
  BuildFirmware(state);
}

bool Board::IsValid(const BoardState& state) {
  return state.magic == kBoardMagic && state.version == kBoardVersion && state.size == sizeof state;
}

// ---- Physical memory ------------------------------------------------------------------------------

ByteSpan Board::Map(uint64_t physical, uint64_t length) {
  if (length == 0) return {};
  for (const Region& region : kRegions) {
    if (physical >= region.base && length <= region.length &&
        physical - region.base <= region.length - length) {
      uint8_t* base = reinterpret_cast<uint8_t*>(&m_state) + region.fieldOffset;
      return {base + (physical - region.base), static_cast<size_t>(length)};
    }
  }
  return {};
}

uint32_t Board::AllocatePhysical(uint32_t length) {
  if (length == 0 || length > kPoolSlotLength) return 0;
  for (uint32_t slot = 0; slot < kPoolSlots; ++slot) {
    if (!m_state.poolUsed[slot]) {
      m_state.poolUsed[slot] = 1;
      std::memset(m_state.pool + slot * kPoolSlotLength, 0, kPoolSlotLength);
      return kPoolPhys + slot * kPoolSlotLength;
    }
  }
  return 0;
}

bool Board::IsAllocated(uint32_t physical) const {
  if (physical < kPoolPhys || (physical - kPoolPhys) % kPoolSlotLength != 0) return false;
  const uint32_t slot = (physical - kPoolPhys) / kPoolSlotLength;
  return slot < kPoolSlots && m_state.poolUsed[slot];
}

bool Board::FreePhysical(uint32_t physical) {
  if (!IsAllocated(physical)) return false;
  m_state.poolUsed[(physical - kPoolPhys) / kPoolSlotLength] = 0;
  return true;
}

bool Board::CopyToPhysical(uint32_t physical, const void* source, uint32_t length) {
  if (!IsAllocated(physical) || length > kPoolSlotLength || (length && !source)) return false;
  if (length) std::memcpy(m_state.pool + (physical - kPoolPhys), source, length);
  return true;
}

// ---- Ports ----------------------------------------------------------------------------------------

uint8_t Board::In8(uint32_t port) {
  port &= 0xFFFF;
  if (port == kSensorIndexPort) return m_state.sensorIndex;
  if (port == kSensorDataPort) return ReadSensor(m_state.sensorIndex);
  if (port >= kPciDataPort && port < kPciDataPort + 4u) {
    return static_cast<uint8_t>(PciRead() >> (8 * (port - kPciDataPort)));
  }
  if (port >= kSmbusBase && port < kSmbusBase + 8u) {
    return SmbusRead(static_cast<uint16_t>(port - kSmbusBase));
  }
  if (port == kProbePort) {
    const Readings now = Measure();
    // Bit 7: the regulator runs in its reduced-phase mode (saving on, light load).
    const bool reduced = (ControlFlags() & fw::cf::kActive) && now.activePhases <= 3;
    return static_cast<uint8_t>((reduced ? kProbeMask : 0) | (m_state.probeLatch & 0x7F));
  }
  return 0xFF;  // nothing decodes the port: the bus floats high
}

void Board::Out8(uint32_t port, uint8_t value) {
  port &= 0xFFFF;
  if (port == kSensorIndexPort) {
    m_state.sensorIndex = value;
  } else if (port >= kSmbusBase && port < kSmbusBase + 8u) {
    SmbusWrite(static_cast<uint16_t>(port - kSmbusBase), value);
  } else if (port == kProbePort) {
    m_state.probeLatch = value;
  }
}

uint32_t Board::In32(uint32_t port) {
  port &= 0xFFFF;
  if (port == kPciAddressPort) return m_state.pciAddress;
  if (port == kPciDataPort) return PciRead();
  return In8(port) | 0xFFFFFF00u;
}

void Board::Out32(uint32_t port, uint32_t value) {
  port &= 0xFFFF;
  if (port == kPciAddressPort) {
    m_state.pciAddress = value;
  } else {
    Out8(port, static_cast<uint8_t>(value));
  }
}

uint32_t Board::PciRead() const {
  const uint32_t address = m_state.pciAddress;
  if (!(address & kPciEnable) || (address & 0x7FFFFF00u) != (kSmbusPciAddress & 0x7FFFFF00u)) {
    return 0xFFFFFFFFu;  // no device answers
  }
  switch (address & 0xFC) {
    case 0x00:
      return kSmbusIds;
    case 0x08:
      return kSmbusClass;
    case kPciBarRegister:
      return kSmbusBase | 1u;  // I/O space
    default:
      return 0;
  }
}

bool Board::ReadMsr(uint32_t index, uint64_t* value) const {
  if (index != kMsrMiscEnable || !value) return false;
  *value = HasFault(kFaultEistOff) ? kMiscEnable & ~((1ull << 16) | (1ull << 25)) : kMiscEnable;
  return true;
}

// ---- SMBus host controller and its voltage regulator ------------------------------------------------

uint8_t Board::SmbusRead(uint16_t reg) {
  if (reg == smb::kStatus && HasFault(kFaultSmbusStuck)) return m_state.smbus[reg] | smb::kBusy;
  return m_state.smbus[reg];
}

void Board::SmbusWrite(uint16_t reg, uint8_t value) {
  if (reg == smb::kStatus) {
    // Status bits are cleared by writing 1; busy belongs to the controller.
    m_state.smbus[reg] = static_cast<uint8_t>(m_state.smbus[reg] & ~(value & ~smb::kBusy));
    return;
  }
  m_state.smbus[reg] = value;
  if (reg != smb::kControl || !(value & smb::kStart) || HasFault(kFaultSmbusStuck)) return;

  // A transfer completes at once; the caller's pause covers the time a real bus would take.
  m_state.smbus[reg] = static_cast<uint8_t>(value & ~smb::kStart);
  const uint8_t address = m_state.smbus[smb::kAddress];
  const bool read = (address & 1) != 0;
  const bool byteData = (value & 0x1C) == smb::kByteData;
  if ((address & 0xFE) != kRegulatorAddress || !byteData) {
    m_state.smbus[smb::kStatus] |= smb::kDevErr;
    return;
  }
  if (read) {
    uint8_t reply = 0;
    if (m_state.smbus[smb::kCommand] == kPhaseCommand) {
      reply = HasFault(kFaultFfPhase) ? 0xFF : Measure().phaseIndex;
    }
    m_state.smbus[smb::kData0] = reply;
  }
  m_state.smbus[smb::kStatus] |= smb::kIntr;
}

// ---- SMI ---------------------------------------------------------------------------------------------

void Board::Smi(SmiRegisters& regs) {
  // Only a write to the firmware's own port raises the SMI; anything else leaves the registers alone.
  const bool raised = (regs.edx & 0xFFFF) == kSmiPort && !HasFault(kFaultEsyPortZero);
  SmiLogEntry& entry = m_state.smiCalls[m_state.smiCount % kSmiLogSize];
  entry.sequence = ++m_state.smiCount;
  const uint32_t in[6] = {regs.eax, regs.ebx, regs.ecx, regs.edx, regs.esi, regs.edi};
  std::memcpy(entry.in, in, sizeof in);
  if (raised) {
    const uint8_t function = static_cast<uint8_t>(regs.eax >> 8);
    if (function >= fw::kSmiQuery && function <= fw::kSmiApply && (regs.eax >> 16) == 0) {
      SmiEnergy(regs);
    } else {
      SmiRom(regs);
    }
  }
  entry.eaxOut = regs.eax;
  entry.ebxOut = regs.ebx;
}

void Board::SmiEnergy(SmiRegisters& regs) {
  const uint8_t function = static_cast<uint8_t>(regs.eax >> 8);
  const bool typeOk = static_cast<uint8_t>(regs.eax) == kSmiType;
  const bool energy = regs.ebx == fw::kSelectorEnergyTable;
  const bool rail = regs.ebx == fw::kSelectorRailTable;
  if (!typeOk || !(energy || rail)) {
    regs.eax = kSmiRefused;
    return;
  }
  bool ok = true;
  switch (function) {
    case fw::kSmiQuery:
      ok = !HasFault(energy ? kFaultRefuseQueryEt : kFaultRefuseQueryRt);
      break;
    case fw::kSmiAddress:
      if (energy && m_state.addressFailuresLeft > 0) {
        --m_state.addressFailuresLeft;
        ok = false;
      } else {
        ok = !HasFault(energy ? kFaultRefuseAddressEt : kFaultRefuseAddressRt);
      }
      if (ok) regs.ebx = energy ? kEnergyTablePhys : kRailTablePhys;
      break;
    default:
      if (energy) {
        ApplyPacket(regs.esi);
      } else {
        ApplyRailTable();
      }
      break;
  }
  regs.eax = ok ? 0 : kSmiRefused;
}

void Board::SmiRom(SmiRegisters& regs) {
  const bool pageOk = regs.ecx == fw::kRomPageLength && regs.edi >= fw::kRomPhys &&
                      (regs.edi - fw::kRomPhys) % fw::kRomPageLength == 0;
  if (regs.eax == fw::kRomPrepare && pageOk) {
    m_state.romPreparedPage = regs.edi;
    regs.eax = 0;
    return;
  }
  if (regs.eax == fw::kRomWrite && pageOk && regs.edi == m_state.romPreparedPage) {
    const ByteSpan source = Map(regs.esi, fw::kRomPageLength);
    if (source.data) {
      std::memmove(m_state.rom + (regs.edi - fw::kRomPhys), source.data, fw::kRomPageLength);
      m_state.romPreparedPage = 0;
      regs.eax = 0;
      return;
    }
  }
  regs.eax = kSmiRefused;
}

void Board::ApplyPacket(uint32_t physical) {
  PacketLogEntry& entry = m_state.packets[m_state.packetCount % kPacketLogSize];
  entry = PacketLogEntry{};
  entry.sequence = ++m_state.packetCount;
  entry.physical = physical;
  const ByteSpan span = Map(physical, fw::tp::kLength);
  if (!span.data) {
    entry.verdict = PacketVerdict::kUnmapped;
    return;
  }
  std::memcpy(entry.bytes, span.data, fw::tp::kLength);
  const MemoryView packet(entry.bytes, sizeof entry.bytes);
  uint8_t sum = 0;
  for (uint32_t i = 0; i < fw::tp::kChecksummedBytes; ++i) sum = static_cast<uint8_t>(sum + entry.bytes[i]);
  if (std::memcmp(entry.bytes, fw::tp::kSignature, 4) != 0) {
    entry.verdict = PacketVerdict::kBadSignature;
  } else if (packet.U8(fw::tp::kLengthByte) != fw::tp::kLength) {
    entry.verdict = PacketVerdict::kBadLength;
  } else if (sum != 0) {
    entry.verdict = PacketVerdict::kBadChecksum;
  } else {
    entry.verdict = PacketVerdict::kAccepted;
  }
  if (entry.verdict != PacketVerdict::kAccepted) return;

  // The firmware takes what the board can do: the phase layout is its own, 3D power and the
  // low-power state only where offered.
  const MemoryView table(m_state.tables, sizeof m_state.tables);
  const uint16_t fixed = fw::cf::kPhases12 | fw::cf::kPhases24;
  uint16_t flags = static_cast<uint16_t>(packet.U16(fw::tp::kControlFlags) & ~fixed);
  flags = static_cast<uint16_t>(flags | (ControlFlags() & fixed));
  if (!m_state.profile.offers3d) flags &= static_cast<uint16_t>(~(fw::cf::k3dPower | fw::cf::kRowModeMask));
  if (!m_state.profile.offersLowPower) flags &= static_cast<uint16_t>(~fw::cf::kLowPower);
  table.Write16(fw::et::kControlFlags, flags);
  table.Write16(fw::et::kPhaseMask, packet.U16(fw::tp::kPhaseWord));
}

void Board::ApplyRailTable() {
  // The firmware walks its own entries (it knows how many it has), whatever the count field says.
  const MemoryView rail(m_state.tables + kRailTableOffset, kTablesLength - kRailTableOffset);
  uint32_t at = fw::rt::kEntries;
  for (uint32_t i = 0; i < kMaxRails && m_state.railIds[i]; ++i) {
    if (rail.U8(at + fw::rt::kRailId) != m_state.railIds[i]) break;
    const uint32_t present = rail.U32(at + fw::rt::kPresentValue);
    // A value more than 20 % off the rail's nominal would harm the board: the firmware keeps the
    // rail where it was.
    const uint32_t base = m_state.railBases[i];
    if (present >= base - base / 5 && present <= base + base / 5) m_state.appliedRails[i] = present;
    at += fw::rt::kEntryFixedSize + rail.U32(at + fw::rt::kSubCount) * fw::rt::kSubSize;
  }
  ++m_state.railApplies;
}

// ---- Control -----------------------------------------------------------------------------------------

void Board::Sleep() {
  for (uint32_t i = 0; i < kMaxRails; ++i) m_state.appliedRails[i] = m_state.railBases[i];
}

void Board::PinLoad(int percent) {
  m_state.pinnedLoad = percent < 0 ? -1 : (percent > 100 ? 100 : percent);
}

void Board::PinReadings(int voltageRaw, int currentRaw) {
  m_state.pinnedVoltageRaw = voltageRaw < 0 ? -1 : (voltageRaw & 0xFF);
  m_state.pinnedCurrentRaw = currentRaw < 0 ? -1 : (currentRaw & 0xFF);
}

void Board::SetFault(uint32_t faults, bool on) {
  if (on) {
    m_state.faults |= faults;
  } else {
    m_state.faults &= ~faults;
  }
  ApplyLayoutFaults(m_state);
}

void Board::SetSkip() {
  const MemoryView table(m_state.tables, sizeof m_state.tables);
  table.Write16(fw::et::kStatusFlags, static_cast<uint16_t>(StatusFlags() | fw::sf::kSkip));
}

void Board::SetControlFlags(uint16_t flags) {
  MemoryView(m_state.tables, sizeof m_state.tables).Write16(fw::et::kControlFlags, flags);
}

uint16_t Board::ControlFlags() const {
  return MemoryView(const_cast<uint8_t*>(m_state.tables), sizeof m_state.tables).U16(fw::et::kControlFlags);
}

uint16_t Board::StatusFlags() const {
  return MemoryView(const_cast<uint8_t*>(m_state.tables), sizeof m_state.tables).U16(fw::et::kStatusFlags);
}

uint16_t Board::RomValue() const {
  for (uint32_t at = 0; at + 6 <= sizeof m_state.rom; ++at) {
    if (std::memcmp(m_state.rom + at, fw::kRomSignature, 4) == 0) {
      return static_cast<uint16_t>(m_state.rom[at + 4] | (m_state.rom[at + 5] << 8));
    }
  }
  return 0;
}

// ---- Fan and graphics clock -------------------------------------------------------------------------

uint16_t Board::FanPwm(int point) const { return (point == 0 || point == 1) ? m_state.fan.pwm[point] : 0; }

void Board::SetFanPwm(int point, uint16_t value) {
  if (point != 0 && point != 1) return;
  m_state.fan.pwm[point] = value;
  ++m_state.fan.writes;
}

void Board::SetFanTemperature(int point, uint16_t value) {
  if (point != 0 && point != 1) return;
  m_state.fan.temperature[point] = value;
  ++m_state.fan.writes;
}

void Board::SetCoreClock(int32_t setting) {
  ++m_state.clock.calls;
  if (!ClockUsable()) return;
  m_state.clock.setting = setting;
  // 850 MHz normal; the reduction lowers the core clock by the given tenth-steps of 5 %.
  const int32_t steps = setting < 0 ? 0 : (setting > 19 ? 19 : setting);
  m_state.clock.coreMHz = static_cast<uint32_t>(850 - 850 * steps * 5 / 100);
}

}  // namespace zor::sim
