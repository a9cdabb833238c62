// Every table walker over arbitrary bytes: nothing may be read outside the view, and every offset
// a walker hands back must lie inside it. Input: 4 bytes of RailTable offset (little-endian), then
// the EnergyTable mapping.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "common/firmware.h"
#include "common/firmware_tables.h"

namespace {

using namespace zor::fw;

void Require(bool condition) {
  if (!condition) std::abort();
}

void WalkService(zor::MemoryView table) {
  VrInfo vr;
  const TableError vrError = ReadVrBlock(table, vr);
  Require(vr.coefficientCount <= vr::kMaxCoefficients);
  if (vrError == TableError::None) {
    Require(vr.coefficientCount == std::min<uint32_t>(vr.entryCount, vr::kMaxCoefficients));
  }
  CurrentRanges ranges;
  if (LocateCurrentRanges(table, ranges) == TableError::None) {
    Require(table.Contains(et::kCurrentRanges, size_t{ranges.count()} * cr::kSize));
    for (uint32_t i = 0; i < ranges.count(); ++i) ranges.At(i);
  }
  uint8_t index = 0;
  ReadEfficiencyIndex(table, index);
}

void WalkProfile(zor::MemoryView table, uint32_t k) {
  Profile profile;
  ReadProfile(table, k, profile);
  for (const RailItem& item : profile.railItems) Require(table.Contains(item.offset, pf::kItemSize));
  for (const PowerItem& item : profile.powerItems) Require(table.Contains(item.offset, pf::kItemSize));
  FreePowerItem free;
  FindFreePowerItem(table, k, free);
  if (free.found) Require(table.Write16(free.item.valueOffset(), free.item.value));
}

void WalkRailTable(zor::MemoryView rail) {
  std::vector<RailEntry> entries;
  ReadRailTable(rail, entries);
  for (const RailEntry& entry : entries) {
    Require(rail.Contains(entry.offset, rt::kEntryFixedSize));
    Require(rail.Write32(entry.presentValueOffset(), entry.presentValue));
    Require(entry.subEntries.size() == entry.subCount);
    for (const RailSubEntry& sub : entry.subEntries) Require(rail.Contains(sub.offset, rt::kSubSize));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint32_t railOffset = static_cast<uint32_t>(data[0] | (data[1] << 8) | (data[2] << 16)) |
                              (static_cast<uint32_t>(data[3]) << 24);
  // A private copy: the walkers' callers write through the same views.
  std::vector<uint8_t> bytes(data + 4, data + size);
  const zor::MemoryView table(bytes.data(), bytes.size());

  WalkService(table);
  WalkProfile(table, TableProfileNumber(table));
  WalkProfile(table, 1);
  const zor::MemoryView rail = RailTableWithin(table, 0x1000, 0x1000 + railOffset);
  if (!rail.empty()) WalkRailTable(rail);
  WalkRailTable(table);
  return 0;
}
