// The TpsePacket: how zor2 hands the firmware a new ControlFlags word.
#pragma once

#include <array>
#include <cstdint>

#include "common/firmware.h"
#include "common/firmware_layout.h"
#include "common/memory_view.h"
#include "platform/hwk.h"

namespace zor::fw {

using TpsePacket = std::array<uint8_t, tp::kLength>;

// The byte that makes bytes 0-17 sum to 0 modulo 256; byte 6 (where it goes) is left out.
uint8_t TpseChecksum(const TpsePacket& packet);

// Which table word goes into packet bytes 10-11.
enum class PhaseWord { FromPhaseMask, FromAutoOffWord };

// A checksummed packet carrying `flags`, with the revision, byte 7, phase word and SaveDivisor
// copied from the mapped EnergyTable.
TpsePacket BuildTpsePacket(MemoryView energyTable, uint16_t flags,
                           PhaseWord phaseWord = PhaseWord::FromPhaseMask);

enum class SubmitStatus {
  Ok,
  AllocFailed,      // HWK_Alloc_Kernel_PhysMem did not return 1
  TranslateFailed,  // the buffer's physical address could not be had; nothing was sent
};

// Copies the packet into freshly allocated physical memory, raises 0xB2 with selector 0xB8 and
// ESI the buffer's address, and frees the buffer. The firmware's answer is not examined.
SubmitStatus SubmitTpsePacket(Hwk& hwk, const SmiTarget& target, const TpsePacket& packet);

}  // namespace zor::fw
