// Bounds-checked readers of the firmware's tables. Each walker checks that what it is about to
// read lies inside the view it was given; anything that does not fit is reported by a TableError
// naming it and is never read. Offsets in the results are from the start of the view walked, so
// callers write through the same view.
#pragma once

#include <cstdint>
#include <vector>

#include "common/firmware_layout.h"
#include "common/memory_view.h"

namespace zor::fw {

enum class TableError {
  None,
  TableHeader,       // the EnergyTable fields themselves
  VrBlock,           // the VrBlock's fixed part
  VrEntries,         // a VrBlock phase entry that is kept
  CurrentRanges,     // the CurrentRange entries
  Profile,           // the Profile's counts
  RailItems,         // a RailItem
  PowerItems,        // a PowerItem
  RailTableHeader,   // the RailTable's header
  RailEntry,         // a RailTable entry's fixed part
  RailSubEntries,    // a RailTable entry's sub-entries
};

// "VrBlock", "RailEntry", ...: for logs and messages.
const char* TableErrorName(TableError error);

// ---- Service --------------------------------------------------------------------------------

struct VrInfo {
  uint32_t offset = 0;        // of the VrBlock in the table
  uint8_t smbusAddress = 0;   // 8-bit write form; reads use + 1
  uint8_t phaseCommand = 0;
  uint8_t entryCount = 0;     // n as the firmware states it
  uint32_t coefficientCount = 0;  // min(n, 16): those read
  uint32_t coefficients[vr::kMaxCoefficients] = {};
};

// The VrBlock at the offset in table bytes 18-19, with the coefficients of up to 16 entries.
TableError ReadVrBlock(MemoryView table, VrInfo& out);

struct CurrentRange {
  uint16_t low = 0;
  uint16_t high = 0;
  uint32_t coefficient = 0;
};

// The CurrentRange entries (range mode); their number is table bytes 36-39.
class CurrentRanges {
 public:
  uint32_t count() const { return m_count; }
  CurrentRange At(uint32_t index) const;  // index < count()

 private:
  friend TableError LocateCurrentRanges(MemoryView table, CurrentRanges& out);
  MemoryView m_entries;
  uint32_t m_count = 0;
};

TableError LocateCurrentRanges(MemoryView table, CurrentRanges& out);

// Table byte 41, the index into the service's efficiency table.
TableError ReadEfficiencyIndex(MemoryView table, uint8_t& index);

// ---- zor2: Profile ------------------------------------------------------------------------

// The profile zor2 works with: 1 on a board with the SMBus regulator, else table byte 45 (0 = 1).
uint32_t ProfileNumber(MemoryView table, bool altTable);
// The profile named by table byte 45 (0 = 1), as the PowerItem operations use it.
uint32_t TableProfileNumber(MemoryView table);

struct RailItem {
  uint32_t offset = 0;  // of the item in the table
  uint8_t role = 0;     // 1, 2, 3, 4 or 11
  uint8_t railId = 0;
  uint32_t base = 0;    // 0 = none stored yet
  uint32_t baseOffset() const { return offset + rail_item::kBase; }
};

struct PowerItem {
  uint32_t offset = 0;
  uint16_t value = 0;
  uint8_t flags = 0;  // bits 0-1
  bool free() const { return (flags & 0x3) == 0; }
  uint32_t valueOffset() const { return offset + power_item::kValue; }
};

struct Profile {
  uint32_t offset = 0;
  std::vector<RailItem> railItems;
  std::vector<PowerItem> powerItems;
};

// Profile k (at 46 + 14 k). On an error the items read before it are kept in `out`.
TableError ReadProfile(MemoryView table, uint32_t k, Profile& out);

// The first PowerItem of profile k whose flag bits are both clear; found is false when there is
// none (or the profile does not fit).
struct FreePowerItem {
  bool found = false;
  PowerItem item;
};
TableError FindFreePowerItem(MemoryView table, uint32_t k, FreePowerItem& out);

// ---- zor2: RailTable ----------------------------------------------------------------------

struct RailSubEntry {
  uint32_t offset = 0;  // in the RailTable
  uint32_t lower = 0;
  uint32_t adjust = 0;
  uint32_t upper = 0;
};

struct RailEntry {
  uint32_t offset = 0;  // in the RailTable
  uint8_t railId = 0;
  uint32_t secondValue = 0;
  uint32_t presentValue = 0;
  uint32_t subCount = 0;
  std::vector<RailSubEntry> subEntries;
  uint32_t presentValueOffset() const { return offset + rt::kPresentValue; }
};

// Every RailTable entry, in order. On an error the entries read before it are kept in `out`.
TableError ReadRailTable(MemoryView railTable, std::vector<RailEntry>& out);

}  // namespace zor::fw
