#include "common/firmware_tables.h"

#include <algorithm>

namespace zor::fw {

namespace {

// True when count items of itemSize bytes from offset fit in the view; 64-bit so that a large
// count from the firmware cannot wrap.
bool FitsArray(MemoryView view, uint64_t offset, uint64_t count, uint64_t itemSize) {
  const uint64_t size = view.size();
  return offset <= size && count * itemSize <= size - offset;
}

}  // namespace

const char* TableErrorName(TableError error) {
  switch (error) {
    case TableError::None: return "None";
    case TableError::TableHeader: return "TableHeader";
    case TableError::VrBlock: return "VrBlock";
    case TableError::VrEntries: return "VrEntries";
    case TableError::CurrentRanges: return "CurrentRanges";
    case TableError::Profile: return "Profile";
    case TableError::RailItems: return "RailItems";
    case TableError::PowerItems: return "PowerItems";
    case TableError::RailTableHeader: return "RailTableHeader";
    case TableError::RailEntry: return "RailEntry";
    case TableError::RailSubEntries: return "RailSubEntries";
  }
  return "Unknown";
}

TableError ReadVrBlock(MemoryView table, VrInfo& out) {
  out = VrInfo();
  uint16_t offset = 0;
  if (!table.Read16(et::kVrBlockOffset, offset)) return TableError::TableHeader;
  out.offset = offset;
  const MemoryView block = table.Sub(offset, table.size() - std::min<size_t>(offset, table.size()));
  if (!block.Contains(0, vr::kEntries)) return TableError::VrBlock;
  out.smbusAddress = block.U8(vr::kSmbusAddress);
  out.phaseCommand = block.U8(vr::kPhaseCommand);
  out.entryCount = block.U8(vr::kEntryCount);
  const uint32_t kept = std::min<uint32_t>(out.entryCount, vr::kMaxCoefficients);
  for (uint32_t i = 0; i < kept; ++i) {
    const size_t at = vr::kEntries + i * vr::kEntrySize;
    if (!block.Contains(at, vr::kEntrySize)) return TableError::VrEntries;
    out.coefficients[i] = block.U32(at + vr::kEntryCoefficient);
    out.coefficientCount = i + 1;
  }
  return TableError::None;
}

CurrentRange CurrentRanges::At(uint32_t index) const {
  CurrentRange range;
  const size_t at = static_cast<size_t>(index) * cr::kSize;
  if (index >= m_count) return range;
  range.low = m_entries.U16(at + cr::kLow);
  range.high = m_entries.U16(at + cr::kHigh);
  range.coefficient = m_entries.U32(at + cr::kCoefficient);
  return range;
}

TableError LocateCurrentRanges(MemoryView table, CurrentRanges& out) {
  out = CurrentRanges();
  uint32_t count = 0;
  if (!table.Read32(et::kCurrentScale, count)) return TableError::TableHeader;
  if (!FitsArray(table, et::kCurrentRanges, count, cr::kSize)) return TableError::CurrentRanges;
  out.m_entries = table.Sub(et::kCurrentRanges, static_cast<size_t>(count) * cr::kSize);
  out.m_count = count;
  return TableError::None;
}

TableError ReadEfficiencyIndex(MemoryView table, uint8_t& index) {
  return table.Read8(et::kEfficiencyIndex, index) ? TableError::None : TableError::TableHeader;
}

uint32_t TableProfileNumber(MemoryView table) {
  const uint8_t k = table.U8(et::kProfileNumber);
  return k == 0 ? 1 : k;
}

uint32_t ProfileNumber(MemoryView table, bool altTable) {
  return altTable ? 1 : TableProfileNumber(table);
}

TableError ReadProfile(MemoryView table, uint32_t k, Profile& out) {
  out = Profile();
  const uint64_t offset = et::kProfileBase + static_cast<uint64_t>(et::kProfileStride) * k;
  if (!FitsArray(table, offset, 1, pf::kRails)) return TableError::Profile;
  out.offset = static_cast<uint32_t>(offset);
  const uint8_t railCount = table.U8(out.offset + pf::kRailCount);
  for (uint32_t i = 0; i < railCount; ++i) {
    const uint32_t at = out.offset + pf::kRails + i * pf::kItemSize;
    if (!table.Contains(at, pf::kItemSize)) return TableError::RailItems;
    RailItem item;
    item.offset = at;
    item.role = table.U8(at + rail_item::kRole);
    item.railId = table.U8(at + rail_item::kRailId);
    item.base = table.U32(at + rail_item::kBase);
    out.railItems.push_back(item);
  }
  const uint32_t countAt = out.offset + pf::kRails + railCount * pf::kItemSize;
  uint8_t powerCount = 0;
  if (!table.Read8(countAt, powerCount)) return TableError::PowerItems;
  for (uint32_t i = 0; i < powerCount; ++i) {
    const uint32_t at = countAt + 1 + i * pf::kItemSize;
    if (!table.Contains(at, pf::kItemSize)) return TableError::PowerItems;
    PowerItem item;
    item.offset = at;
    item.value = table.U16(at + power_item::kValue);
    item.flags = static_cast<uint8_t>(table.U8(at + power_item::kFlags) & 0x3);
    out.powerItems.push_back(item);
  }
  return TableError::None;
}

TableError FindFreePowerItem(MemoryView table, uint32_t k, FreePowerItem& out) {
  out = FreePowerItem();
  Profile profile;
  const TableError error = ReadProfile(table, k, profile);
  // Items read before a misfit are still usable: the search stops at the first free one anyway.
  for (const PowerItem& item : profile.powerItems) {
    if (item.free()) {
      out.found = true;
      out.item = item;
      return TableError::None;
    }
  }
  return error;
}

TableError ReadRailTable(MemoryView railTable, std::vector<RailEntry>& out) {
  out.clear();
  if (!railTable.Contains(0, rt::kEntries)) return TableError::RailTableHeader;
  const uint16_t count = railTable.U16(rt::kEntryCount);
  uint64_t at = rt::kEntries;
  for (uint32_t i = 0; i < count; ++i) {
    if (!FitsArray(railTable, at, 1, rt::kEntryFixedSize)) return TableError::RailEntry;
    const uint32_t entryAt = static_cast<uint32_t>(at);
    RailEntry entry;
    entry.offset = entryAt;
    entry.railId = railTable.U8(entryAt + rt::kRailId);
    entry.secondValue = railTable.U32(entryAt + rt::kSecondValue);
    entry.presentValue = railTable.U32(entryAt + rt::kPresentValue);
    entry.subCount = railTable.U32(entryAt + rt::kSubCount);
    const uint64_t subsAt = at + rt::kSubEntries;
    if (!FitsArray(railTable, subsAt, entry.subCount, rt::kSubSize))
      return TableError::RailSubEntries;
    for (uint32_t s = 0; s < entry.subCount; ++s) {
      const uint32_t subAt = static_cast<uint32_t>(subsAt + static_cast<uint64_t>(s) * rt::kSubSize);
      RailSubEntry sub;
      sub.offset = subAt;
      sub.lower = railTable.U32(subAt + rt::kSubLower);
      sub.adjust = railTable.U32(subAt + rt::kSubAdjust);
      sub.upper = railTable.U32(subAt + rt::kSubUpper);
      entry.subEntries.push_back(sub);
    }
    out.push_back(std::move(entry));
    at = subsAt + static_cast<uint64_t>(out.back().subCount) * rt::kSubSize;
  }
  return TableError::None;
}

}  // namespace zor::fw
