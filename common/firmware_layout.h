// The firmware's energy-saving structures: offsets, widths, bits and constants. Both programs and the
// simulated board use these names, so the layouts are written down once. All values little-endian.
#pragma once

#include <cstdint>

namespace zor::fw {

// ---- "$ESY4" pointer in the BIOS area --------------------------------------------------------
constexpr uint32_t kBiosAreaPhys = 0xF0000;
constexpr uint32_t kBiosAreaLength = 0x10000;
constexpr uint32_t kEsyStride = 16;
constexpr char kEsySignature[] = "$ESY4";  // 5 bytes, no terminator in memory
constexpr uint32_t kEsySignatureLength = 5;
namespace esy {
constexpr uint32_t kSmiPort = 7;  // 2 bytes
constexpr uint32_t kSmiType = 9;  // 1 byte
constexpr uint32_t kSize = 10;
}  // namespace esy

// ---- SMI functions (AH) and table selectors (EBX) -------------------------------------------
constexpr uint8_t kSmiQuery = 0xB0;
constexpr uint8_t kSmiAddress = 0xB1;
constexpr uint8_t kSmiApply = 0xB2;
constexpr uint32_t kSelectorEnergyTable = 0xB8;
constexpr uint32_t kSelectorRailTable = 0xB9;
constexpr uint32_t kRomPrepare = 0x29;  // EAX of the first ROM-page call
constexpr uint32_t kRomWrite = 0x2D;    // EAX of the second
constexpr uint32_t kRomPageLength = 0x1000;

// ---- EnergyTable (selector 0xB8) --------------------------------------------------------------
constexpr uint32_t kServiceTableMapLength = 8192;  // what the service maps
constexpr uint32_t kGuiTableMapLength = 4608;      // what zor2 maps; RailTable lies inside it
constexpr uint8_t kSupportedRevision = 0x21;
namespace et {
constexpr uint32_t kRevision = 5;          // 1 byte
constexpr uint32_t kPacketByte7 = 7;       // 1 byte, copied into TpsePacket byte 7
constexpr uint32_t kControlFlags = 8;      // 2 bytes
constexpr uint32_t kPhaseMask = 10;        // 2 bytes, copied into TpsePacket bytes 10-11
constexpr uint32_t kAutoOffWord = 14;      // 2 bytes, TpsePacket bytes 10-11 when automatic mode goes off
constexpr uint32_t kVrBlockOffset = 18;    // 2 bytes
constexpr uint32_t kSaveDivisor = 22;      // 1 byte
constexpr uint32_t kStatusFlags = 24;      // 2 bytes
constexpr uint32_t kSensorIndexPort = 26;  // 2 bytes
constexpr uint32_t kSensorDataPort = 28;   // 2 bytes
constexpr uint32_t kVoltageRegister = 30;  // 2 bytes; low byte goes to the index port
constexpr uint32_t kVoltageStepMv = 32;    // 2 bytes
constexpr uint32_t kCurrentRegister = 34;  // 2 bytes
constexpr uint32_t kCurrentScale = 36;     // 4 bytes; range count in range mode
constexpr uint32_t kEfficiencyIndex = 41;  // 1 byte
constexpr uint32_t kProfileNumber = 45;    // 1 byte; 0 is taken as 1
constexpr uint32_t kProbeFlag = 46;        // 2 bytes; 0 = bytes 48-59 describe a phase probe
constexpr uint32_t kProbePort = 48;        // 4 bytes
constexpr uint32_t kProbeMask = 56;        // 1 byte
constexpr uint32_t kProbeValue = 57;       // 1 byte
constexpr uint32_t kProbePhases = 58;      // 2 bytes
constexpr uint32_t kCurrentRanges = 61;    // 8 bytes each, range mode only
constexpr uint32_t kProfileBase = 46;      // Profile k at 46 + 14 * k
constexpr uint32_t kProfileStride = 14;
}  // namespace et

// ControlFlags bits.
namespace cf {
constexpr uint16_t kActive = 1u << 0;
constexpr uint16_t kUseDivisor = 1u << 1;
constexpr uint16_t kLed = 1u << 2;
constexpr uint16_t kPhases12 = 1u << 3;
constexpr uint16_t kLevelMask = 0xF0;
constexpr int kLevelShift = 4;
constexpr uint16_t kThrottle = 1u << 8;
constexpr uint16_t kLowPower = 1u << 9;
constexpr uint16_t kPhases24 = 1u << 10;
constexpr uint16_t k3dPower = 1u << 11;
constexpr uint16_t kRowModeMask = 0x3000;
constexpr int kRowModeShift = 12;
}  // namespace cf

// Level codes in ControlFlags bits 4-7. An even code counts as L1.
constexpr int kLevelL1 = 5;
constexpr int kLevelL2 = 3;
constexpr int kLevelL3 = 1;

// StatusFlags bits.
namespace sf {
constexpr uint16_t kSkip = 1u << 0;
constexpr uint16_t kPowerFigures = 1u << 5;
constexpr uint16_t kLowPowerOffered = 1u << 8;
constexpr uint16_t kRangeMode = 1u << 9;
constexpr uint16_t k3dPowerOffered = 1u << 14;
constexpr uint16_t kSmbusRegulator = 1u << 15;
}  // namespace sf

// CurrentRange entry (8 bytes).
namespace cr {
constexpr uint32_t kLow = 0;          // 2 bytes
constexpr uint32_t kHigh = 2;         // 2 bytes
constexpr uint32_t kCoefficient = 4;  // 4 bytes
constexpr uint32_t kSize = 8;
}  // namespace cr

// VrBlock, at EnergyTable offset et::kVrBlockOffset.
namespace vr {
constexpr uint32_t kSmbusAddress = 28;  // 8-bit write form; reads use address + 1
constexpr uint32_t kPhaseCommand = 44;
constexpr uint32_t kEntryCount = 48;
constexpr uint32_t kEntries = 60;
constexpr uint32_t kEntrySize = 32;
constexpr uint32_t kEntryCoefficient = 20;  // 4 bytes
constexpr uint32_t kMaxCoefficients = 16;   // the service keeps at most this many
}  // namespace vr

// Profile k: byte 1 rail count, rails from byte 2, then the power-item count and the power items.
namespace pf {
constexpr uint32_t kRailCount = 1;
constexpr uint32_t kRails = 2;
constexpr uint32_t kItemSize = 16;
}  // namespace pf
namespace rail_item {
constexpr uint32_t kRole = 4;  // 1, 2, 3, 4 or 11
constexpr uint32_t kRailId = 5;
constexpr uint32_t kBase = 8;  // 4 bytes, 0 = none stored yet
}  // namespace rail_item
namespace power_item {
constexpr uint32_t kValue = 8;  // 2 bytes
constexpr uint32_t kFlags = 10;  // bits 0-1; the first item with both clear is the free one
}  // namespace power_item

// ---- RailTable (selector 0xB9) ------------------------------------------------------------------
namespace rt {
constexpr uint32_t kEntryCount = 16;  // 2 bytes
constexpr uint32_t kEntries = 32;
constexpr uint32_t kEntryFixedSize = 56;
// Offsets below are relative to the entry's start; an entry is 56 + 16 * m bytes long.
constexpr uint32_t kRailId = 32;
constexpr uint32_t kSecondValue = 36;   // 4 bytes, role 11
constexpr uint32_t kPresentValue = 40;  // 4 bytes, overwritten with the target
constexpr uint32_t kSubCount = 52;      // 4 bytes, m
constexpr uint32_t kSubEntries = 56;
constexpr uint32_t kSubSize = 16;
constexpr uint32_t kSubLower = 4;
constexpr uint32_t kSubAdjust = 8;
constexpr uint32_t kSubUpper = 12;
}  // namespace rt

// ---- TpsePacket (26 bytes) -------------------------------------------------------------------------
namespace tp {
constexpr char kSignature[] = "TPSE";
constexpr uint32_t kLength = 26;
constexpr uint32_t kLengthByte = 4;
constexpr uint32_t kRevision = 5;
constexpr uint32_t kChecksum = 6;
constexpr uint32_t kByte7 = 7;
constexpr uint32_t kControlFlags = 8;  // 2 bytes
constexpr uint32_t kPhaseWord = 10;    // 2 bytes
constexpr uint32_t kSaveDivisor = 17;
constexpr uint32_t kChecksummedBytes = 18;  // bytes 0-17
}  // namespace tp

// ---- "DECG" settings block in the BIOS ROM ------------------------------------------------------
constexpr uint32_t kRomPhys = 0xFFFF0000u;
constexpr uint32_t kRomLength = 0x10000;
constexpr char kRomSignature[] = "DECG";
constexpr uint32_t kRomValueOffset = 4;  // 16-bit value after the signature

}  // namespace zor::fw
