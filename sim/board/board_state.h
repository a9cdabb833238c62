// The whole simulated board as one plain-data record: memory regions, device registers, profile,
// faults, fan and clock, and the logs. No pointers, so it can live in a heap object for tests or in a
// file mapping shared by every process that loads the simulated hwk.dll.
#pragma once

#include <cstdint>

namespace zor::sim {

// ---- Physical address map -------------------------------------------------------------------
constexpr uint32_t kEnergyTablePhys = 0x7F7A0000u;
constexpr uint32_t kTablesLength = 0x2000;          // the service maps 8192 bytes of the table
constexpr uint32_t kRailTableOffset = 0x0C00;       // inside the 4608 bytes the GUI maps
constexpr uint32_t kRailTablePhys = kEnergyTablePhys + kRailTableOffset;
constexpr uint32_t kVrBlockOffset = 0x0400;
constexpr uint32_t kPoolPhys = 0x00200000u;
constexpr uint32_t kPoolSlotLength = 0x1000;
constexpr uint32_t kPoolSlots = 16;

// Where the firmware puts its structures in the BIOS area and the ROM.
constexpr uint32_t kEsyOffset = 0x0A50;       // the live "$ESY4" pointer
constexpr uint32_t kStaleEsyOffset = 0x0510;  // an older pointer; the last one found wins
constexpr uint32_t kRomBlockOffset = 0x7A30;  // "DECG" inside the 64 KiB ROM
constexpr uint32_t kRomBlockAtPageEnd = 0x7FFC;

// ---- Ports and devices ------------------------------------------------------------------------
constexpr uint16_t kSmiPort = 0x00B2;
constexpr uint8_t kSmiType = 0xE3;
constexpr uint16_t kStaleSmiPort = 0x00B0;
constexpr uint16_t kSensorIndexPort = 0x0295;
constexpr uint16_t kSensorDataPort = 0x0296;
constexpr uint8_t kVoltageRegister = 0x22;
constexpr uint8_t kCurrentRegister = 0x2A;
constexpr uint16_t kVoltageStepMv = 8;
constexpr uint16_t kPciAddressPort = 0x0CF8;
constexpr uint16_t kPciDataPort = 0x0CFC;
constexpr uint16_t kSmbusBase = 0x0400;
constexpr uint8_t kRegulatorAddress = 0xE0;  // 8-bit write form
constexpr uint8_t kPhaseCommand = 0x8C;
constexpr uint16_t kProbePort = 0x0C80;
constexpr uint8_t kProbeMask = 0x80;
constexpr uint32_t kMsrMiscEnable = 0x1A0;

// SMBus host controller register offsets and bits.
namespace smb {
constexpr uint16_t kStatus = 0;
constexpr uint16_t kControl = 2;
constexpr uint16_t kCommand = 3;
constexpr uint16_t kAddress = 4;
constexpr uint16_t kData0 = 5;
constexpr uint8_t kBusy = 0x01;
constexpr uint8_t kIntr = 0x02;
constexpr uint8_t kDevErr = 0x04;
constexpr uint8_t kStart = 0x40;
constexpr uint8_t kByteData = 0x08;  // protocol bits 2-4 of the control register
}  // namespace smb

// ---- Profiles -------------------------------------------------------------------------------------
enum class CurrentMode : uint8_t { kRegister = 0, kRange = 1, kSmbus = 2 };
enum class PlatformClass : uint8_t { kNone = 0, kX58 = 1, kP55 = 2, kP67 = 3 };

struct BoardProfile {
  char name[24];
  uint8_t phases;  // 6, 12 or 24
  CurrentMode currentMode;
  PlatformClass platform;
  uint8_t offers3d;
  uint8_t offersLowPower;
  uint8_t powerFigures;   // StatusFlags bit 5
  uint8_t profileNumber;  // EnergyTable byte 45
  uint8_t phaseProbe;     // bytes 46-59 describe a probe
  uint32_t cpuSignature;  // what CPUID leaf 1 gives on this board's processor
  uint16_t controlFlags;  // ControlFlags at power-on (the phase bits are added from `phases`)
  uint8_t reserved[2];
};

// ---- Faults -----------------------------------------------------------------------------------
enum Fault : uint32_t {
  kFaultFfVoltage = 1u << 0,        // the voltage register reads 0xFF
  kFaultFfCurrent = 1u << 1,        // the current register reads 0xFF
  kFaultFfPhase = 1u << 2,          // the regulator answers 0xFF
  kFaultSmbusStuck = 1u << 3,       // the host controller stays busy
  kFaultRefuseQueryEt = 1u << 4,    // 0xB0 / 0xB8 fails
  kFaultRefuseQueryRt = 1u << 5,    // 0xB0 / 0xB9 fails
  kFaultRefuseAddressEt = 1u << 6,  // 0xB1 / 0xB8 fails
  kFaultRefuseAddressRt = 1u << 7,  // 0xB1 / 0xB9 fails: no RailTable address
  kFaultRevision = 1u << 8,         // EnergyTable revision 0x20
  kFaultNoDecg = 1u << 9,           // no "DECG" block in the ROM
  kFaultNoEsy = 1u << 10,           // no "$ESY4" pointer in the BIOS area
  kFaultEsyPortZero = 1u << 11,     // the live pointer has port 0 and a non-zero type
  kFaultVrOffsetOutside = 1u << 12, // VrBlock offset beyond the table
  kFaultVrCountOutside = 1u << 13,  // VrBlock entry count runs past the table
  kFaultProfileCounts = 1u << 14,   // profile rail and power-item counts run past the table
  kFaultRangeCount = 1u << 15,      // CurrentRange count runs past the table
  kFaultRailCount = 1u << 16,       // RailTable entry count runs past the mapping
  kFaultDecgPageEnd = 1u << 17,     // "DECG" in the last four bytes of a ROM page
  kFaultEistOff = 1u << 18,         // MSR 0x1A0 bits 16 and 25 clear
  kFaultFanUnusable = 1u << 19,     // the fan controller refuses
  kFaultClockUnsupported = 1u << 20,// the graphics card cannot be clocked
};

// ---- Logs ---------------------------------------------------------------------------------------
enum class PacketVerdict : uint8_t {
  kAccepted = 0,
  kUnmapped = 1,
  kBadSignature = 2,
  kBadLength = 3,
  kBadChecksum = 4,
};

struct PacketLogEntry {
  uint32_t sequence;  // 1, 2, 3 ... over the board's life
  uint32_t physical;
  uint8_t bytes[26];
  PacketVerdict verdict;
  uint8_t reserved;
};

struct SmiLogEntry {
  uint32_t sequence;
  uint32_t in[6];  // EAX, EBX, ECX, EDX, ESI, EDI as passed
  uint32_t eaxOut;
  uint32_t ebxOut;
};

constexpr uint32_t kPacketLogSize = 16;
constexpr uint32_t kSmiLogSize = 32;
constexpr uint32_t kMaxRails = 5;

// ---- Fan and graphics clock (for the vendor-library stand-ins) ---------------------------------
struct FanState {
  uint16_t pwm[2];
  uint16_t temperature[2];
  uint32_t writes;
};

struct ClockState {
  int32_t setting;  // the last SetCoreCLK argument: 0 normal, 10 lowered
  uint32_t coreMHz;
  uint32_t calls;
};

// ---- The board --------------------------------------------------------------------------------
constexpr uint32_t kBoardMagic = 0x4453425Au;  // "ZBSD"
constexpr uint32_t kBoardVersion = 1;

struct BoardState {
  uint32_t magic;
  uint32_t version;
  uint32_t size;  // sizeof(BoardState), so a file from another build is recreated
  uint32_t faults;

  BoardProfile profile;

  // What drives the readings: -1 follows the load source, else a pinned percentage or raw byte.
  int32_t pinnedLoad;
  int32_t pinnedVoltageRaw;
  int32_t pinnedCurrentRaw;
  int32_t lastLoad;
  uint32_t addressFailuresLeft;  // 0xB1 / 0xB8 fails this many more times, then succeeds

  // Memory regions.
  uint8_t bios[0x10000];
  uint8_t tables[kTablesLength];
  uint8_t rom[0x10000];
  uint8_t pool[kPoolSlots * kPoolSlotLength];
  uint8_t poolUsed[kPoolSlots];

  // Devices.
  uint32_t pciAddress;
  uint8_t sensorIndex;
  uint8_t smbus[8];  // host controller registers at kSmbusBase + 0..7
  uint8_t probeLatch;
  uint16_t reserved0;
  uint32_t romPreparedPage;  // physical page named by the last 0x29 call, 0 = none

  // What the firmware applied from the RailTable, in the RailTable's entry order.
  uint32_t railIds[kMaxRails];
  uint32_t railBases[kMaxRails];
  uint32_t appliedRails[kMaxRails];
  uint32_t railApplies;

  FanState fan;
  ClockState clock;

  uint32_t packetCount;
  PacketLogEntry packets[kPacketLogSize];
  uint32_t smiCount;
  SmiLogEntry smiCalls[kSmiLogSize];
};

}  // namespace zor::sim
