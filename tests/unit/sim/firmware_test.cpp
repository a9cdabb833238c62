// The firmware side of the board: pointer, SMI functions, packets, RailTable, ROM block, and the
// faults that change what the programs find.
#include <gtest/gtest.h>

#include <vector>

#include "sim/board/board_firmware.h"
#include "tests/unit/sim/sim_test_support.h"

namespace zor::sim {
namespace {

using testing::SimBoard;

TEST(SimFirmware, DiscoveryFindsPointerAndBothTables) {
  SimBoard sim;
  uint16_t port = 0;
  uint8_t type = 0;
  sim.FindEsy(port, type);
  EXPECT_EQ(port, kSmiPort);  // the older pointer before it names another port
  EXPECT_EQ(type, kSmiType);

  EXPECT_EQ(sim.Smi(fw::kSmiQuery, fw::kSelectorEnergyTable).eax, 0u);
  EXPECT_EQ(sim.Smi(fw::kSmiQuery, fw::kSelectorRailTable).eax, 0u);
  const SmiRegisters et = sim.Smi(fw::kSmiAddress, fw::kSelectorEnergyTable);
  const SmiRegisters rt = sim.Smi(fw::kSmiAddress, fw::kSelectorRailTable);
  ASSERT_EQ(et.eax, 0u);
  ASSERT_EQ(rt.eax, 0u);
  EXPECT_GT(rt.ebx, et.ebx);
  EXPECT_LT(rt.ebx - et.ebx, fw::kGuiTableMapLength);

  const MemoryView table = sim.MapView(et.ebx, fw::kServiceTableMapLength);
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(table.U8(fw::et::kRevision), fw::kSupportedRevision);
  EXPECT_EQ(table.U16(fw::et::kSensorDataPort), kSensorDataPort);
  EXPECT_EQ(sim.state->smiCount, 4u);
}

TEST(SimFirmware, SmiIgnoresOtherPortsAndRefusesUnknownRequests) {
  SimBoard sim;
  SmiRegisters regs;
  regs.eax = fw::kSmiQuery << 8 | kSmiType;
  regs.ebx = fw::kSelectorEnergyTable;
  regs.edx = kStaleSmiPort;
  sim.hwk.SMICmd(regs);
  EXPECT_EQ(regs.eax, static_cast<uint32_t>(fw::kSmiQuery << 8 | kSmiType));  // no SMI raised

  regs.eax = fw::kSmiQuery << 8;  // wrong SmiType
  regs.edx = kSmiPort;
  sim.hwk.SMICmd(regs);
  EXPECT_NE(regs.eax, 0u);
  EXPECT_NE(sim.Smi(fw::kSmiQuery, 0xB7).eax, 0u);
  EXPECT_NE(sim.Smi(0xB3, fw::kSelectorEnergyTable).eax, 0u);
}

TEST(SimFirmware, RefusalFaultsHitOnlyTheirFunction) {
  struct Case {
    uint32_t fault;
    uint8_t function;
    uint32_t selector;
  };
  const Case cases[] = {
      {kFaultRefuseQueryEt, fw::kSmiQuery, fw::kSelectorEnergyTable},
      {kFaultRefuseQueryRt, fw::kSmiQuery, fw::kSelectorRailTable},
      {kFaultRefuseAddressEt, fw::kSmiAddress, fw::kSelectorEnergyTable},
      {kFaultRefuseAddressRt, fw::kSmiAddress, fw::kSelectorRailTable},
  };
  for (const Case& c : cases) {
    SimBoard sim;
    sim.board.SetFault(c.fault, true);
    for (const Case& other : cases) {
      const uint32_t eax = sim.Smi(other.function, other.selector).eax;
      if (other.fault == c.fault) {
        EXPECT_NE(eax, 0u) << c.fault;
      } else {
        EXPECT_EQ(eax, 0u) << c.fault << " broke " << other.fault;
      }
    }
  }
}

TEST(SimFirmware, AddressRequestFailsGivenTimesThenSucceeds) {
  SimBoard sim;
  sim.board.SetAddressFailures(3);
  for (int i = 0; i < 3; ++i) EXPECT_NE(sim.Smi(fw::kSmiAddress, fw::kSelectorEnergyTable).eax, 0u);
  const SmiRegisters ok = sim.Smi(fw::kSmiAddress, fw::kSelectorEnergyTable);
  EXPECT_EQ(ok.eax, 0u);
  EXPECT_EQ(ok.ebx, kEnergyTablePhys);
}

TEST(SimFirmware, GoodPacketSetsFlagsTheBoardSupports) {
  SimBoard sim;  // 6 phases, no 3D power, low-power state offered
  const uint16_t wanted = fw::cf::kActive | fw::cf::kLed | fw::cf::kThrottle | fw::cf::kUseDivisor |
                          fw::cf::kLowPower | fw::cf::k3dPower | fw::cf::kPhases12 |
                          (fw::kLevelL3 << fw::cf::kLevelShift);
  sim.SendFlags(wanted);
  const uint16_t expected = static_cast<uint16_t>(wanted & ~(fw::cf::k3dPower | fw::cf::kPhases12));
  EXPECT_EQ(sim.board.ControlFlags(), expected);
  ASSERT_EQ(sim.state->packetCount, 1u);
  EXPECT_EQ(sim.state->packets[0].verdict, PacketVerdict::kAccepted);

  SimBoard threeD(*FindProfile("p55-24-smbus"));
  threeD.SendFlags(fw::cf::kActive | fw::cf::k3dPower | (1u << fw::cf::kRowModeShift));
  EXPECT_EQ(threeD.board.ControlFlags(),
            fw::cf::kActive | fw::cf::k3dPower | (1u << fw::cf::kRowModeShift) | fw::cf::kPhases24);
}

TEST(SimFirmware, PacketWordBecomesThePhaseWord) {
  SimBoard sim;
  uint8_t packet[fw::tp::kLength];
  sim.MakePacket(packet, fw::cf::kLed);  // automatic mode off
  packet[fw::tp::kPhaseWord] = 0x0F;
  SimBoard::Checksum(packet);
  sim.Submit(packet);
  EXPECT_EQ(sim.MapView(kEnergyTablePhys, 16).U16(fw::et::kPhaseMask), 0x0F);
}

TEST(SimFirmware, BadPacketsAreRejectedAndLogged) {
  struct Case {
    const char* what;
    uint32_t offset;
    uint8_t value;
    bool fixChecksum;
    PacketVerdict verdict;
  };
  const Case cases[] = {
      {"signature", 0, 'X', true, PacketVerdict::kBadSignature},
      {"length", fw::tp::kLengthByte, 25, true, PacketVerdict::kBadLength},
      {"checksum", fw::tp::kChecksum, 0x00, false, PacketVerdict::kBadChecksum},
      {"byte 13 counted", 13, 0x01, false, PacketVerdict::kBadChecksum},
  };
  for (const Case& c : cases) {
    SimBoard sim;
    const uint16_t before = sim.board.ControlFlags();
    uint8_t packet[fw::tp::kLength];
    sim.MakePacket(packet, fw::cf::kActive | (fw::kLevelL3 << fw::cf::kLevelShift));
    packet[c.offset] = static_cast<uint8_t>(packet[c.offset] + (c.offset == fw::tp::kChecksum ? 1 : 0));
    if (c.offset != fw::tp::kChecksum) packet[c.offset] = c.value;
    if (c.fixChecksum) SimBoard::Checksum(packet);
    sim.Submit(packet);
    EXPECT_EQ(sim.board.ControlFlags(), before) << c.what;
    EXPECT_EQ(sim.state->packets[0].verdict, c.verdict) << c.what;
    EXPECT_EQ(sim.state->packets[0].bytes[c.offset], packet[c.offset]) << c.what;
  }

  SimBoard sim;
  sim.Smi(fw::kSmiApply, fw::kSelectorEnergyTable, 0x1000);  // nothing lives there
  EXPECT_EQ(sim.state->packets[0].verdict, PacketVerdict::kUnmapped);
}

TEST(SimFirmware, PacketLogKeepsTheLatestEntries) {
  SimBoard sim;
  for (uint32_t i = 0; i < kPacketLogSize + 3; ++i) sim.SendFlags(fw::cf::kActive);
  EXPECT_EQ(sim.state->packetCount, kPacketLogSize + 3);
  EXPECT_EQ(sim.state->packets[(kPacketLogSize + 2) % kPacketLogSize].sequence, kPacketLogSize + 3);
}

// The GUI's ROM update: find "DECG", copy its page, change the value, 0x29 then 0x2D.
bool UpdateRom(SimBoard& sim, uint16_t value, uint32_t ecx = fw::kRomPageLength) {
  const MemoryView rom = sim.MapView(fw::kRomPhys, fw::kRomLength);
  uint32_t found = fw::kRomLength;
  for (uint32_t at = 0; at + 4 <= fw::kRomLength && found == fw::kRomLength; ++at) {
    char sig[4];
    rom.ReadBytes(at, sig, 4);
    if (std::memcmp(sig, fw::kRomSignature, 4) == 0) found = at;
  }
  if (found == fw::kRomLength) return false;
  const uint32_t page = fw::kRomPhys + (found & ~(fw::kRomPageLength - 1));
  std::vector<uint8_t> buffer(fw::kRomPageLength);
  sim.MapView(page, fw::kRomPageLength).ReadBytes(0, buffer.data(), buffer.size());
  const MemoryView copy(buffer.data(), buffer.size());
  const uint32_t in = found % fw::kRomPageLength;
  if (!copy.Write16(in + fw::kRomValueOffset, value)) return false;

  SmiRegisters prepare;
  prepare.eax = fw::kRomPrepare;
  prepare.ecx = ecx;
  prepare.edx = kSmiPort;
  prepare.edi = page;
  sim.hwk.SMICmd(prepare);
  uint64_t reference = 0;
  uint32_t physical = 0;
  sim.hwk.HWK_Alloc_Kernel_PhysMem(fw::kRomPageLength, &reference);
  sim.hwk.HWK_TranslateLinsToPhys(reference, &physical);
  sim.hwk.HWK_MapMem_Copy_Userbuf_To_Phys(buffer.data(), reference, fw::kRomPageLength);
  SmiRegisters write = prepare;
  write.eax = fw::kRomWrite;
  write.esi = physical;
  sim.hwk.SMICmd(write);
  sim.hwk.HWK_Free_Kernel_PhysMem(reference);
  return prepare.eax == 0 && write.eax == 0;
}

TEST(SimFirmware, RomUpdateRewritesThePage) {
  SimBoard sim;
  EXPECT_EQ(sim.board.RomValue(), 0);
  ASSERT_TRUE(UpdateRom(sim, 0x1234));
  EXPECT_EQ(sim.board.RomValue(), 0x1234);
  EXPECT_FALSE(UpdateRom(sim, 0x5678, 0x800));  // ECX must be the page length
  EXPECT_EQ(sim.board.RomValue(), 0x1234);
}

TEST(SimFirmware, RomWriteNeedsItsPreparation) {
  SimBoard sim;
  const uint32_t physical = sim.board.AllocatePhysical(fw::kRomPageLength);
  SmiRegisters write;
  write.eax = fw::kRomWrite;
  write.ecx = fw::kRomPageLength;
  write.edx = kSmiPort;
  write.edi = fw::kRomPhys + 0x7000;
  write.esi = physical;
  sim.hwk.SMICmd(write);
  EXPECT_NE(write.eax, 0u);
  EXPECT_EQ(sim.board.RomValue(), 0);  // the pool page (zeros) did not replace the ROM page
}

TEST(SimFirmware, RomValueSurvivesMovingTheBlock) {
  SimBoard sim;
  ASSERT_TRUE(UpdateRom(sim, 0x0042));
  sim.board.SetFault(kFaultDecgPageEnd, true);
  EXPECT_EQ(sim.board.RomValue(), 0x0042);
  EXPECT_EQ(std::memcmp(sim.state->rom + 0x7FFC, fw::kRomSignature, 4), 0);
  EXPECT_FALSE(UpdateRom(sim, 0x0043));  // the value bytes lie outside the page
  sim.board.SetFault(kFaultDecgPageEnd, false);
  EXPECT_EQ(sim.board.RomValue(), 0x0042);
}

TEST(SimFirmware, LayoutFaultsShowAndClearWithoutResidue) {
  for (const BoardProfile* profile : {FindProfile("x58-6"), FindProfile("x58-12-range"),
                                      FindProfile("p55-24-smbus")}) {
    size_t count = 0;
    const FaultName* faults = FaultNames(&count);
    for (size_t i = 0; i < count; ++i) {
      SimBoard sim(*profile);
      const auto before = std::make_unique<BoardState>(*sim.state);
      sim.board.SetFault(faults[i].fault, true);
      sim.board.SetFault(faults[i].fault, false);
      EXPECT_EQ(std::memcmp(before.get(), sim.state.get(), sizeof(BoardState)), 0)
          << profile->name << " " << faults[i].name;
    }
  }
}

TEST(SimFirmware, LayoutFaultsPointOutsideTheMappings) {
  SimBoard smbus(*FindProfile("p55-24-smbus"));
  const MemoryView t = smbus.MapView(kEnergyTablePhys, fw::kServiceTableMapLength);
  smbus.board.SetFault(kFaultVrOffsetOutside, true);
  EXPECT_GT(t.U16(fw::et::kVrBlockOffset) + fw::vr::kEntryCount, fw::kServiceTableMapLength);
  smbus.board.SetFault(kFaultVrOffsetOutside, false);
  smbus.board.SetFault(kFaultVrCountOutside, true);
  EXPECT_GT(t.U16(fw::et::kVrBlockOffset) + fw::vr::kEntries +
                t.U8(t.U16(fw::et::kVrBlockOffset) + fw::vr::kEntryCount) * fw::vr::kEntrySize,
            fw::kServiceTableMapLength);
  smbus.board.SetFault(kFaultRailCount | kFaultProfileCounts, true);
  EXPECT_GT(kRailTableOffset + fw::rt::kEntries +
                t.U16(kRailTableOffset + fw::rt::kEntryCount) * fw::rt::kEntryFixedSize,
            fw::kGuiTableMapLength);
  const uint32_t profile = ProfileOffset(smbus.state->profile);
  const uint32_t powerCount = profile + fw::pf::kRails + t.U8(profile + fw::pf::kRailCount) * 16;
  EXPECT_GT(powerCount + 1 + t.U8(powerCount) * 16, fw::kServiceTableMapLength);

  SimBoard range(*FindProfile("x58-12-range"));
  range.board.SetFault(kFaultRangeCount, true);
  EXPECT_GT(fw::et::kCurrentRanges +
                uint64_t{range.MapView(kEnergyTablePhys, 64).U32(fw::et::kCurrentScale)} * 8,
            fw::kServiceTableMapLength);
}

TEST(SimFirmware, PointerAndBlockFaults) {
  SimBoard sim;
  uint16_t port = 1;
  uint8_t type = 1;
  sim.board.SetFault(kFaultNoEsy, true);
  sim.FindEsy(port, type);
  EXPECT_EQ(port, 0);
  EXPECT_EQ(type, 0);
  sim.board.SetFault(kFaultNoEsy, false);
  sim.board.SetFault(kFaultEsyPortZero, true);
  sim.FindEsy(port, type);
  EXPECT_EQ(port, 0);
  EXPECT_EQ(type, kSmiType);
  SmiRegisters regs;
  regs.eax = fw::kSmiQuery << 8 | kSmiType;
  regs.ebx = fw::kSelectorEnergyTable;
  sim.hwk.SMICmd(regs);  // port 0 raises nothing
  EXPECT_NE(regs.eax, 0u);

  sim.board.SetFault(kFaultRevision, true);
  EXPECT_EQ(sim.MapView(kEnergyTablePhys, 8).U8(fw::et::kRevision), 0x20);
  sim.board.SetFault(kFaultNoDecg, true);
  EXPECT_EQ(sim.board.RomValue(), 0);
  EXPECT_FALSE(UpdateRom(sim, 1));
}

TEST(SimFirmware, RailTableApplyFollowsPresentValuesWithinLimits) {
  SimBoard sim;
  const MemoryView rail = sim.MapView(kRailTablePhys, fw::kGuiTableMapLength - kRailTableOffset);
  const uint32_t first = fw::rt::kEntries + fw::rt::kPresentValue;
  const uint32_t second = fw::rt::kEntries + fw::rt::kEntryFixedSize + fw::rt::kPresentValue;
  const uint32_t base0 = rail.U32(first);
  const uint32_t base1 = rail.U32(second);
  const double before = sim.board.Measure().watts;
  rail.Write32(first, base0 - 2000);
  rail.Write32(second, base1 / 2);  // far below anything the rail can take
  EXPECT_EQ(sim.state->appliedRails[0], base0);  // nothing happens before the apply call
  EXPECT_EQ(sim.Smi(fw::kSmiApply, fw::kSelectorRailTable).eax, 0u);
  EXPECT_EQ(sim.state->appliedRails[0], base0 - 2000);
  EXPECT_EQ(sim.state->appliedRails[1], base1);
  EXPECT_LT(sim.board.Measure().watts, before);
}

}  // namespace
}  // namespace zor::sim
