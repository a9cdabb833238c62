// Packets, the RailTable apply and the ROM block update, against the simulated board.
#include <gtest/gtest.h>

#include <cstring>

#include "common/firmware.h"
#include "common/firmware_packet.h"
#include "common/firmware_rom.h"
#include "common/firmware_tables.h"
#include "tests/unit/firmware/firmware_board_fixture.h"

namespace zor::fw {
namespace {

using test::RecordingSleeper;
using test::RefusingMaps;
using test::SimBoard;

struct Discovered {
  SimBoard b;
  RecordingSleeper sleeper;
  GuiDiscovery d;
  Discovered() : d(DiscoverForGui(b.hwk, sleeper)) {}
  const sim::PacketLogEntry& LastPacket() const {
    return b.state->packets[(b.state->packetCount - 1) % sim::kPacketLogSize];
  }
};

uint16_t WithLevel(uint16_t flags, int level) {
  return static_cast<uint16_t>((flags & ~cf::kLevelMask) | (level << cf::kLevelShift));
}

TEST(TpseSubmitTest, BoardAcceptsOurPacketAndAppliesTheLevel) {
  Discovered s;
  ASSERT_EQ(s.d.status, GuiDiscoveryStatus::Ok);
  const uint16_t flags = WithLevel(s.b.board.ControlFlags(), kLevelL3);
  ASSERT_EQ(SubmitTpsePacket(s.b.hwk, s.d.target, BuildTpsePacket(s.d.energyTable, flags)),
            SubmitStatus::Ok);
  ASSERT_EQ(s.b.state->packetCount, 1u);
  EXPECT_EQ(s.LastPacket().verdict, sim::PacketVerdict::kAccepted);
  EXPECT_EQ((s.b.board.ControlFlags() & cf::kLevelMask) >> cf::kLevelShift, kLevelL3);
  // The program reads the new flags back through its own mapping.
  EXPECT_EQ(s.d.energyTable.U16(et::kControlFlags), s.b.board.ControlFlags());
  for (uint32_t slot = 0; slot < sim::kPoolSlots; ++slot)
    EXPECT_EQ(s.b.state->poolUsed[slot], 0) << "the buffer is freed";
}

TEST(TpseSubmitTest, BoardRejectsACorruptedPacket) {
  Discovered s;
  const uint16_t before = s.b.board.ControlFlags();
  TpsePacket packet = BuildTpsePacket(s.d.energyTable, WithLevel(before, kLevelL3));
  packet[tp::kControlFlags] ^= 0x20;  // changed after the checksum was computed
  ASSERT_EQ(SubmitTpsePacket(s.b.hwk, s.d.target, packet), SubmitStatus::Ok);
  EXPECT_EQ(s.LastPacket().verdict, sim::PacketVerdict::kBadChecksum);
  EXPECT_EQ(s.b.board.ControlFlags(), before);
}

TEST(TpseSubmitTest, AllocationFailureIsReportedAndNothingIsSent) {
  Discovered s;
  while (s.b.board.AllocatePhysical(26) != 0) {
  }
  const uint32_t smiBefore = s.b.state->smiCount;
  const TpsePacket packet = BuildTpsePacket(s.d.energyTable, s.b.board.ControlFlags());
  EXPECT_EQ(SubmitTpsePacket(s.b.hwk, s.d.target, packet), SubmitStatus::AllocFailed);
  EXPECT_EQ(s.b.state->smiCount, smiBefore);
  EXPECT_EQ(s.b.state->packetCount, 0u);
}

TEST(RailTableApplyTest, FirmwareTakesTheTargetsWrittenInPlace) {
  Discovered s;
  std::vector<RailEntry> entries;
  ASSERT_EQ(ReadRailTable(s.d.railTable, entries), TableError::None);
  ASSERT_FALSE(entries.empty());
  const RailEntry& first = entries.front();
  const uint32_t target = first.presentValue - first.presentValue / 20;
  ASSERT_TRUE(s.d.railTable.Write32(first.presentValueOffset(), target));
  const uint32_t appliesBefore = s.b.state->railApplies;
  ApplyRailTable(s.b.hwk, s.d.target);
  EXPECT_EQ(s.b.state->railApplies, appliesBefore + 1);
  EXPECT_EQ(s.b.state->appliedRails[0], target);
}

// The "DECG" block's offset in the board's ROM, or -1.
long BlockOffset(const SimBoard& b) {
  for (uint32_t at = 0; at + 4 <= sizeof b.state->rom; ++at)
    if (std::memcmp(b.state->rom + at, kRomSignature, 4) == 0) return at;
  return -1;
}

TEST(RomUpdateTest, RewritesTheBlockValueThroughItsPage) {
  Discovered s;
  const long block = BlockOffset(s.b);
  ASSERT_GE(block, 0);
  const RomUpdateOutcome outcome = UpdataBiosSetting(s.b.hwk, s.d.target, s.sleeper, 0x1234);
  ASSERT_EQ(outcome.status, RomUpdateStatus::Ok) << outcome.message;
  EXPECT_EQ(outcome.pageAddress, kRomPhys + (static_cast<uint32_t>(block) & ~0xFFFu));
  EXPECT_EQ(outcome.blockOffset, static_cast<uint32_t>(block) & 0xFFFu);
  EXPECT_EQ(s.b.board.RomValue(), 0x1234);
  EXPECT_EQ(s.b.state->romPreparedPage, 0u) << "the firmware wrote the prepared page";
  uint16_t readBack = 0;
  EXPECT_TRUE(ReadBiosSetting(s.b.hwk, readBack));
  EXPECT_EQ(readBack, 0x1234);
}

TEST(RomUpdateTest, BlockNearTheEndOfAPageSelectsThatPage) {
  Discovered s;
  const long block = BlockOffset(s.b);
  ASSERT_GE(block, 0);
  // Move the block so that its value takes the page's last two bytes.
  std::memset(s.b.state->rom + block, 0xFF, 6);
  std::memcpy(s.b.state->rom + 0x3FFA, kRomSignature, 4);
  const RomUpdateOutcome outcome = UpdataBiosSetting(s.b.hwk, s.d.target, s.sleeper, 77);
  ASSERT_EQ(outcome.status, RomUpdateStatus::Ok) << outcome.message;
  EXPECT_EQ(outcome.pageAddress, kRomPhys + 0x3000);
  EXPECT_EQ(outcome.blockOffset, 0xFFAu);
  EXPECT_EQ(s.b.board.RomValue(), 77);
}

TEST(RomUpdateTest, RefusesWhatItCannotWriteSafely) {
  struct Case { uint32_t fault; RomUpdateStatus status; const char* message; };
  const Case cases[] = {
      {sim::kFaultNoDecg, RomUpdateStatus::NoBlock,
       "UpdataBiosSetting function value = 5 failure!! No settings block in the ROM"},
      {sim::kFaultDecgPageEnd, RomUpdateStatus::BlockCrossesPage,
       "UpdataBiosSetting function value = 5 failure!! Settings block crosses a ROM page"},
  };
  for (const Case& c : cases) {
    Discovered s;
    s.b.board.SetFault(c.fault, true);
    const std::vector<uint8_t> rom(s.b.state->rom, s.b.state->rom + sizeof s.b.state->rom);
    const uint32_t smiBefore = s.b.state->smiCount;
    const RomUpdateOutcome outcome = UpdataBiosSetting(s.b.hwk, s.d.target, s.sleeper, 5);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_STREQ(outcome.caption, "Error");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(s.b.state->smiCount, smiBefore) << "no ROM call is made";
    EXPECT_TRUE(std::equal(rom.begin(), rom.end(), s.b.state->rom));
    uint16_t readBack = 0;
    EXPECT_FALSE(ReadBiosSetting(s.b.hwk, readBack));
  }
}

TEST(RomUpdateTest, MappingAndAllocationFailuresHaveTheirMessages) {
  {
    Discovered s;
    RefusingMaps refusing(s.b.hwk, kRomPhys);
    const RomUpdateOutcome outcome = UpdataBiosSetting(refusing, s.d.target, s.sleeper, 9);
    EXPECT_EQ(outcome.status, RomUpdateStatus::RomMapFailed);
    EXPECT_EQ(outcome.message, "UpdataBiosSetting function value = 9 failure!! Mapping 1");
  }
  {
    Discovered s;
    const uint32_t page = kRomPhys + (static_cast<uint32_t>(BlockOffset(s.b)) & ~0xFFFu);
    RefusingMaps refusing(s.b.hwk, page);
    const RomUpdateOutcome outcome = UpdataBiosSetting(refusing, s.d.target, s.sleeper, 9);
    EXPECT_EQ(outcome.status, RomUpdateStatus::PageMapFailed);
    EXPECT_EQ(outcome.message, "UpdataBiosSetting function value = 9 failure!! Mapping 2");
  }
  {
    Discovered s;
    while (s.b.board.AllocatePhysical(26) != 0) {
    }
    s.sleeper.waits.clear();
    const RomUpdateOutcome outcome = UpdataBiosSetting(s.b.hwk, s.d.target, s.sleeper, 65535);
    EXPECT_EQ(outcome.status, RomUpdateStatus::AllocFailed);
    EXPECT_EQ(outcome.message,
              "UpdataBiosSetting function value = 65535 failure!!, Can't allocate physical memory!!");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(s.sleeper.waits, (std::vector<uint32_t>{100, 100, 100}));
  }
}

}  // namespace
}  // namespace zor::fw
