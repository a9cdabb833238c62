// A board on the heap with its Hwk, and the few firmware conversations the programs hold with it,
// written the way the programs do them (through the Hwk port only).
#pragma once

#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "common/firmware_layout.h"
#include "common/memory_view.h"
#include "sim/board/board.h"
#include "sim/board/board_profiles.h"
#include "sim/board/sim_hwk.h"

namespace zor::sim::testing {

struct SimBoard {
  explicit SimBoard(const BoardProfile& profile = DefaultProfile())
      : state(std::make_unique<BoardState>()), board(*state), hwk(board) {
    Board::Create(*state, profile);
  }

  std::unique_ptr<BoardState> state;
  Board board;
  SimHwk hwk;

  MemoryView MapView(uint32_t physical, uint32_t length) {
    return MemoryView(MappedAddress(hwk.MapMemEx(physical, 0, length)), length);
  }

  // The last "$ESY4" on a 16-byte boundary wins; port and type 0 when there is none.
  void FindEsy(uint16_t& port, uint8_t& type) {
    port = 0;
    type = 0;
    const MemoryView bios = MapView(fw::kBiosAreaPhys, fw::kBiosAreaLength);
    for (uint32_t at = 0; at < fw::kBiosAreaLength; at += fw::kEsyStride) {
      char signature[5] = {};
      bios.ReadBytes(at, signature, 5);
      if (std::memcmp(signature, fw::kEsySignature, 5) == 0) {
        port = bios.U16(at + fw::esy::kSmiPort);
        type = bios.U8(at + fw::esy::kSmiType);
      }
    }
  }

  SmiRegisters Smi(uint8_t function, uint32_t selector, uint32_t esi = 0) {
    SmiRegisters regs;
    regs.eax = static_cast<uint32_t>(function) << 8 | kSmiType;
    regs.ebx = selector;
    regs.edx = kSmiPort;
    regs.esi = esi;
    hwk.SMICmd(regs);
    return regs;
  }

  static void Checksum(uint8_t* packet) {
    uint8_t sum = 0;
    packet[fw::tp::kChecksum] = 0;
    for (uint32_t i = 0; i < fw::tp::kChecksummedBytes; ++i) sum = static_cast<uint8_t>(sum + packet[i]);
    packet[fw::tp::kChecksum] = static_cast<uint8_t>(0x100 - sum);
  }

  // A packet as the GUI fills it, with the table's own copies.
  void MakePacket(uint8_t* packet, uint16_t flags) {
    const MemoryView table = MapView(kEnergyTablePhys, fw::kGuiTableMapLength);
    std::memset(packet, 0, fw::tp::kLength);
    std::memcpy(packet, fw::tp::kSignature, 4);
    packet[fw::tp::kLengthByte] = fw::tp::kLength;
    packet[fw::tp::kRevision] = table.U8(fw::et::kRevision);
    packet[fw::tp::kByte7] = table.U8(fw::et::kPacketByte7);
    packet[fw::tp::kControlFlags] = static_cast<uint8_t>(flags);
    packet[fw::tp::kControlFlags + 1] = static_cast<uint8_t>(flags >> 8);
    packet[fw::tp::kPhaseWord] = table.U8(fw::et::kPhaseMask);
    packet[fw::tp::kPhaseWord + 1] = table.U8(fw::et::kPhaseMask + 1);
    packet[fw::tp::kSaveDivisor] = table.U8(fw::et::kSaveDivisor);
    Checksum(packet);
  }

  // Allocate, translate, copy, 0xB2 / 0xB8, free: the GUI's submission.
  void Submit(const uint8_t* packet, uint32_t length = fw::tp::kLength) {
    uint64_t reference = 0;
    ASSERT_TRUE(hwk.HWK_Alloc_Kernel_PhysMem(length, &reference));
    uint32_t physical = 0;
    ASSERT_TRUE(hwk.HWK_TranslateLinsToPhys(reference, &physical));
    hwk.HWK_MapMem_Copy_Userbuf_To_Phys(packet, reference, length);
    Smi(fw::kSmiApply, fw::kSelectorEnergyTable, physical);
    hwk.HWK_Free_Kernel_PhysMem(reference);
  }

  void SendFlags(uint16_t flags) {
    uint8_t packet[fw::tp::kLength];
    MakePacket(packet, flags);
    Submit(packet);
  }

  uint8_t ReadSensor(uint8_t reg) {
    hwk.qv_outp(kSensorIndexPort, reg);
    return hwk.qv_inp(kSensorDataPort);
  }

  uint16_t SmbusBase() {
    hwk.qv_outpd(0xCF8, 0x80000000u | 31u << 11 | 3u << 8 | 0x20);
    return static_cast<uint16_t>(hwk.qv_inpd(0xCFC) & 0xFFFE);
  }

  // The service's byte-data read with its ready-wait (no sleeps needed against the model).
  int SmbusReadByte(uint8_t address, uint8_t command) {
    const uint16_t base = SmbusBase();
    auto ready = [&] {
      for (int wait = 0; wait <= 10; ++wait) {
        hwk.qv_outp(base, 0x01);
        if (wait < 10 && !(hwk.qv_inp(base) & 1)) return true;
      }
      return false;
    };
    if (!ready()) return -1;
    hwk.qv_outp(base + 4u, static_cast<uint8_t>(address + 1));
    hwk.qv_outp(base + 3u, command);
    hwk.qv_outp(base + 0u, 0xFF);
    hwk.qv_outp(base + 5u, 0xFF);
    hwk.qv_outp(base + 2u, 0x48);
    if (!ready()) return -1;
    return hwk.qv_inp(base + 5u);
  }
};

}  // namespace zor::sim::testing
