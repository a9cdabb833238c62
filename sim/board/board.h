// The simulated board's behaviour over a BoardState: physical memory, I/O ports, the SMI handler,
// MSR 0x1A0, the packet pool, fan and graphics clock, and readings that follow the load and the
// applied level and rails. A Board holds no state of its own beyond the load source, so any number
// of Board objects (one per process) can work on one shared BoardState.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/hwk.h"
#include "sim/board/board_state.h"

namespace zor::sim {

// A piece of the board's physical memory; data is nullptr when the range is not backed.
struct ByteSpan {
  uint8_t* data = nullptr;
  size_t size = 0;
};

// What the sensors and the regulator report now, and the physical values behind them.
struct Readings {
  int load = 0;  // percent
  double watts = 0;
  double volts = 0;
  double amps = 0;
  uint8_t voltageRaw = 0;
  uint8_t currentRaw = 0;
  uint8_t phaseIndex = 0;  // regulator phase state, 0 = fewest phases
  uint8_t activePhases = 0;  // of 6
};

class Board {
 public:
  explicit Board(BoardState& state) : m_state(state) {}

  // Powers the board up from a profile: every region, register, log and fault is reset.
  static void Create(BoardState& state, const BoardProfile& profile);
  // True when the record was made by Create of this build (magic, version and size match).
  static bool IsValid(const BoardState& state);

  BoardState& State() { return m_state; }
  const BoardState& State() const { return m_state; }

  // The host's load in percent (0-100) when the load is not pinned; 30 % without a source.
  void SetLoadSource(std::function<int()> source) { m_loadSource = std::move(source); }

  // ---- Physical memory ----
  // The backing bytes of [physical, physical + length) when the range lies inside one region.
  ByteSpan Map(uint64_t physical, uint64_t length);
  // Packet pool: one 4 KiB slot per allocation; 0 when nothing fits.
  uint32_t AllocatePhysical(uint32_t length);
  bool FreePhysical(uint32_t physical);
  bool IsAllocated(uint32_t physical) const;
  // Copies into an allocated slot; refused when it would run past the slot.
  bool CopyToPhysical(uint32_t physical, const void* source, uint32_t length);

  // ---- Ports, MSR, SMI ----
  uint8_t In8(uint32_t port);
  void Out8(uint32_t port, uint8_t value);
  uint32_t In32(uint32_t port);
  void Out32(uint32_t port, uint32_t value);
  bool ReadMsr(uint32_t index, uint64_t* value) const;
  void Smi(SmiRegisters& regs);

  // ---- Control (tests, simboard) ----
  void PinLoad(int percent);  // -1 follows the load source again
  void PinReadings(int voltageRaw, int currentRaw);  // -1 each to compute them
  void SetFault(uint32_t faults, bool on);
  bool HasFault(uint32_t fault) const { return (m_state.faults & fault) != 0; }
  void SetAddressFailures(uint32_t count) { m_state.addressFailuresLeft = count; }
  void SetSkip();  // StatusFlags bit 0, which suppresses one service cycle
  // A sleep and resume: the regulator wakes at its nominal rails, the RailTable in memory stays.
  void Sleep();
  void SetControlFlags(uint16_t flags);  // as the firmware setup would, no packet involved

  // ---- Firmware view ----
  uint16_t ControlFlags() const;
  uint16_t StatusFlags() const;
  uint16_t RomValue() const;  // 0 when no "DECG" block
  Readings Measure();

  // ---- Fan and graphics clock, for the vendor-library stand-ins ----
  bool FanUsable() const { return !HasFault(kFaultFanUnusable); }
  uint16_t FanPwm(int point) const;
  void SetFanPwm(int point, uint16_t value);
  void SetFanTemperature(int point, uint16_t value);
  bool ClockUsable() const { return !HasFault(kFaultClockUnsupported); }
  void SetCoreClock(int32_t setting);

 private:
  uint8_t ReadSensor(uint8_t reg);
  uint8_t SmbusRead(uint16_t reg);
  void SmbusWrite(uint16_t reg, uint8_t value);
  uint32_t PciRead() const;
  void SmiEnergy(SmiRegisters& regs);
  void SmiRom(SmiRegisters& regs);
  void ApplyPacket(uint32_t physical);
  void ApplyRailTable();
  void UpdatePhaseWord(const Readings& readings);
  int Load();

  BoardState& m_state;
  std::function<int()> m_loadSource;
};

}  // namespace zor::sim
