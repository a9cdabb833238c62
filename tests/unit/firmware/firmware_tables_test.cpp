#include "common/firmware_tables.h"

#include <gtest/gtest.h>

#include <vector>

namespace zor::fw {
namespace {

// A zeroed table of `size` bytes to write a layout into.
struct Bytes {
  explicit Bytes(size_t size) : data(size) {}
  MemoryView view() { return MemoryView(data.data(), data.size()); }
  std::vector<uint8_t> data;
};

TEST(VrBlockTest, ReadsFieldsAndKeepsAtMostSixteenCoefficients) {
  Bytes t(2048);
  const uint32_t at = 0x100;
  t.view().Write16(et::kVrBlockOffset, at);
  t.view().Write8(at + vr::kSmbusAddress, 0xE0);
  t.view().Write8(at + vr::kPhaseCommand, 0x8C);
  t.view().Write8(at + vr::kEntryCount, 20);
  for (uint32_t i = 0; i < 20; ++i)
    t.view().Write32(at + vr::kEntries + i * vr::kEntrySize + vr::kEntryCoefficient, 1000 + i);

  VrInfo info;
  ASSERT_EQ(ReadVrBlock(t.view(), info), TableError::None);
  EXPECT_EQ(info.smbusAddress, 0xE0);
  EXPECT_EQ(info.phaseCommand, 0x8C);
  EXPECT_EQ(info.entryCount, 20);
  EXPECT_EQ(info.coefficientCount, 16u);
  EXPECT_EQ(info.coefficients[0], 1000u);
  EXPECT_EQ(info.coefficients[15], 1015u);
}

TEST(VrBlockTest, ReportsWhatDoesNotFit) {
  struct Case { uint16_t offset; uint8_t count; size_t tableSize; TableError expected; uint32_t kept; };
  const Case cases[] = {
      {0xF000, 1, 8192, TableError::VrBlock, 0},         // block starts beyond the table
      {8192 - 40, 0, 8192, TableError::VrBlock, 0},      // fixed part runs past the end
      {8192 - 60 - 32, 2, 8192, TableError::VrEntries, 1},  // second entry runs past
      {8192 - 60, 0, 8192, TableError::None, 0},         // no entries, exactly fits
      {0, 0, 19, TableError::TableHeader, 0},            // the offset field itself is missing
  };
  for (const Case& c : cases) {
    Bytes t(c.tableSize);
    t.view().Write16(et::kVrBlockOffset, c.offset);
    t.view().Write8(size_t{c.offset} + vr::kEntryCount, c.count);
    VrInfo info;
    EXPECT_EQ(ReadVrBlock(t.view(), info), c.expected) << c.offset;
    EXPECT_EQ(info.coefficientCount, c.kept) << c.offset;
  }
}

TEST(CurrentRangesTest, LocatesEntriesAndRefusesACountPastTheTable) {
  Bytes t(256);
  t.view().Write32(et::kCurrentScale, 2);
  t.view().Write16(et::kCurrentRanges + 8 + cr::kLow, 40);
  t.view().Write16(et::kCurrentRanges + 8 + cr::kHigh, 90);
  t.view().Write32(et::kCurrentRanges + 8 + cr::kCoefficient, 70000);
  CurrentRanges ranges;
  ASSERT_EQ(LocateCurrentRanges(t.view(), ranges), TableError::None);
  ASSERT_EQ(ranges.count(), 2u);
  EXPECT_EQ(ranges.At(1).low, 40);
  EXPECT_EQ(ranges.At(1).high, 90);
  EXPECT_EQ(ranges.At(1).coefficient, 70000u);

  for (uint32_t count : {25u, 0xFFFFFFFFu, 0x20000000u}) {  // the last wraps in 32 bits
    t.view().Write32(et::kCurrentScale, count);
    EXPECT_EQ(LocateCurrentRanges(t.view(), ranges), TableError::CurrentRanges) << count;
    EXPECT_EQ(ranges.count(), 0u);
  }
}

// Profile k with the given rail items (role, rail id, base) and power items (value, flags).
void WriteProfile(MemoryView t, uint32_t k, const std::vector<RailItem>& rails,
                  const std::vector<PowerItem>& items) {
  const uint32_t at = et::kProfileBase + et::kProfileStride * k;
  t.Write8(at + pf::kRailCount, static_cast<uint8_t>(rails.size()));
  uint32_t p = at + pf::kRails;
  for (const RailItem& r : rails) {
    t.Write8(p + rail_item::kRole, r.role);
    t.Write8(p + rail_item::kRailId, r.railId);
    t.Write32(p + rail_item::kBase, r.base);
    p += pf::kItemSize;
  }
  t.Write8(p++, static_cast<uint8_t>(items.size()));
  for (const PowerItem& i : items) {
    t.Write16(p + power_item::kValue, i.value);
    t.Write8(p + power_item::kFlags, i.flags);
    p += pf::kItemSize;
  }
}

TEST(ProfileTest, WalksRailAndPowerItemsWithTheirOffsets) {
  Bytes t(4608);
  WriteProfile(t.view(), 2, {{0, 2, 7, 0}, {0, 11, 9, 12345}},
               {{0, 111, 0x1}, {0, 222, 0x4}, {0, 333, 0}});
  Profile profile;
  ASSERT_EQ(ReadProfile(t.view(), 2, profile), TableError::None);
  EXPECT_EQ(profile.offset, 46u + 28u);
  ASSERT_EQ(profile.railItems.size(), 2u);
  EXPECT_EQ(profile.railItems[1].role, 11);
  EXPECT_EQ(profile.railItems[1].railId, 9);
  EXPECT_EQ(profile.railItems[1].base, 12345u);
  EXPECT_EQ(profile.railItems[1].offset, 46u + 28u + 2u + 16u);
  ASSERT_EQ(profile.powerItems.size(), 3u);
  EXPECT_EQ(profile.powerItems[0].offset, 46u + 28u + 2u + 32u + 1u);

  // Flag bits other than 0-1 do not make an item taken.
  FreePowerItem free;
  ASSERT_EQ(FindFreePowerItem(t.view(), 2, free), TableError::None);
  ASSERT_TRUE(free.found);
  EXPECT_EQ(free.item.value, 222);
  EXPECT_EQ(t.view().U16(free.item.valueOffset()), 222);
}

TEST(ProfileTest, ProfileNumberAndMisfits) {
  Bytes t(512);
  EXPECT_EQ(TableProfileNumber(t.view()), 1u) << "0 is taken as 1";
  t.view().Write8(et::kProfileNumber, 3);
  EXPECT_EQ(ProfileNumber(t.view(), false), 3u);
  EXPECT_EQ(ProfileNumber(t.view(), true), 1u);

  Profile profile;
  EXPECT_EQ(ReadProfile(t.view(), 255, profile), TableError::Profile);

  // 40 rail items run past 512 bytes: the ones that fit are kept, the rest never read.
  t.view().Write8(et::kProfileBase + et::kProfileStride + pf::kRailCount, 40);
  EXPECT_EQ(ReadProfile(t.view(), 1, profile), TableError::RailItems);
  EXPECT_EQ(profile.railItems.size(), (512u - 60u - 2u) / 16u);
  FreePowerItem free;
  EXPECT_EQ(FindFreePowerItem(t.view(), 1, free), TableError::RailItems);
  EXPECT_FALSE(free.found);

  // No free item at all: not found, but no error.
  Bytes u(512);
  WriteProfile(u.view(), 1, {}, {{0, 5, 1}, {0, 6, 2}});
  EXPECT_EQ(FindFreePowerItem(u.view(), 1, free), TableError::None);
  EXPECT_FALSE(free.found);
}

// A RailTable with entries of the given sub-entry counts.
void WriteRailTable(MemoryView t, const std::vector<uint32_t>& subCounts) {
  t.Write16(rt::kEntryCount, static_cast<uint16_t>(subCounts.size()));
  uint32_t at = rt::kEntries;
  uint8_t id = 1;
  for (uint32_t m : subCounts) {
    t.Write8(at + rt::kRailId, id);
    t.Write32(at + rt::kSecondValue, 1000u * id);
    t.Write32(at + rt::kPresentValue, 2000u * id);
    t.Write32(at + rt::kSubCount, m);
    for (uint32_t s = 0; s < m; ++s) {
      const uint32_t sub = at + rt::kSubEntries + s * rt::kSubSize;
      t.Write32(sub + rt::kSubLower, 10 * s);
      t.Write32(sub + rt::kSubAdjust, 100 + s);
      t.Write32(sub + rt::kSubUpper, 10 * s + 9);
    }
    at += rt::kEntryFixedSize + m * rt::kSubSize;
    ++id;
  }
}

TEST(RailTableTest, WalksEntriesOfVaryingLength) {
  Bytes t(1024);
  WriteRailTable(t.view(), {0, 3, 1});
  std::vector<RailEntry> entries;
  ASSERT_EQ(ReadRailTable(t.view(), entries), TableError::None);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].offset, 32u);
  EXPECT_EQ(entries[1].offset, 32u + 56u);
  EXPECT_EQ(entries[2].offset, 32u + 56u + 56u + 48u);
  EXPECT_EQ(entries[2].railId, 3);
  EXPECT_EQ(entries[1].secondValue, 2000u);
  EXPECT_EQ(entries[1].presentValue, 4000u);
  EXPECT_EQ(t.view().U32(entries[1].presentValueOffset()), 4000u);
  ASSERT_EQ(entries[1].subEntries.size(), 3u);
  EXPECT_EQ(entries[1].subEntries[2].offset, 32u + 56u + 56u + 32u);
  EXPECT_EQ(entries[1].subEntries[2].adjust, 102u);
  EXPECT_EQ(entries[1].subEntries[2].upper, 29u);
}

TEST(RailTableTest, ReportsWhatDoesNotFit) {
  std::vector<RailEntry> entries;
  Bytes tiny(31);
  EXPECT_EQ(ReadRailTable(tiny.view(), entries), TableError::RailTableHeader);

  Bytes t(256);
  WriteRailTable(t.view(), {1, 0});  // 32 + 72 + 56 = 160 bytes; a third empty entry ends at 216
  t.view().Write16(rt::kEntryCount, 5);
  EXPECT_EQ(ReadRailTable(t.view(), entries), TableError::RailEntry);
  EXPECT_EQ(entries.size(), 3u) << "entries before the misfit are kept";

  for (uint32_t m : {13u, 0x10000000u, 0xFFFFFFFFu}) {  // 0x10000000 * 16 wraps in 32 bits
    t.view().Write32(rt::kEntries + rt::kSubCount, m);
    EXPECT_EQ(ReadRailTable(t.view(), entries), TableError::RailSubEntries) << m;
    EXPECT_TRUE(entries.empty());
  }
}

}  // namespace
}  // namespace zor::fw
