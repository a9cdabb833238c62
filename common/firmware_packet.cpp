#include "common/firmware_packet.h"

#include <cstring>

namespace zor::fw {

uint8_t TpseChecksum(const TpsePacket& packet) {
  unsigned sum = 0;
  for (uint32_t i = 0; i < tp::kChecksummedBytes; ++i)
    if (i != tp::kChecksum) sum += packet[i];
  return static_cast<uint8_t>(0x100u - (sum & 0xFFu));
}

TpsePacket BuildTpsePacket(MemoryView energyTable, uint16_t flags, PhaseWord phaseWord) {
  TpsePacket packet{};
  std::memcpy(packet.data(), tp::kSignature, 4);
  MemoryView view(packet.data(), packet.size());
  view.Write8(tp::kLengthByte, static_cast<uint8_t>(tp::kLength));
  view.Write8(tp::kRevision, energyTable.U8(et::kRevision));
  view.Write8(tp::kByte7, energyTable.U8(et::kPacketByte7));
  view.Write16(tp::kControlFlags, flags);
  const uint32_t wordAt =
      phaseWord == PhaseWord::FromAutoOffWord ? et::kAutoOffWord : et::kPhaseMask;
  view.Write16(tp::kPhaseWord, energyTable.U16(wordAt));
  view.Write8(tp::kSaveDivisor, energyTable.U8(et::kSaveDivisor));
  view.Write8(tp::kChecksum, TpseChecksum(packet));
  return packet;
}

SubmitStatus SubmitTpsePacket(Hwk& hwk, const SmiTarget& target, const TpsePacket& packet) {
  uint64_t reference = 0;
  if (!hwk.HWK_Alloc_Kernel_PhysMem(tp::kLength, &reference)) return SubmitStatus::AllocFailed;
  uint32_t physical = 0;
  if (!hwk.HWK_TranslateLinsToPhys(reference, &physical)) {
    // Sending ESI 0 would have the firmware read whatever lies at address 0.
    hwk.HWK_Free_Kernel_PhysMem(reference);
    return SubmitStatus::TranslateFailed;
  }
  hwk.HWK_MapMem_Copy_Userbuf_To_Phys(packet.data(), reference, tp::kLength);
  SmiCall(hwk, target, kSmiApply, kSelectorEnergyTable, physical);
  hwk.HWK_Free_Kernel_PhysMem(reference);
  return SubmitStatus::Ok;
}

}  // namespace zor::fw
