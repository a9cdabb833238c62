#include "common/rail_targets.h"

#include "common/firmware_layout.h"
#include "common/firmware_tables.h"

namespace zor {

namespace {

constexpr uint32_t kBridgeReduction = 10000;
constexpr uint32_t kMemoryReduction = 2000;
constexpr uint32_t kPchAdvancedReduction = 5000;
constexpr const char* kRailKeys[kRailRoles] = {"NB", "SB", "VTT", "MEM", "PCH"};

constexpr uint32_t kFirstNehalem = 0x106A0;
constexpr uint32_t kLastX58 = 0x106E0;
constexpr uint32_t kFirstSixCoreX58 = 0x206C0;
constexpr uint32_t kLastSixCoreX58 = 0x206C2;
constexpr uint32_t kModelMask = 0xFFFF0;
constexpr uint32_t kSandyBridge = 0x206A0;
constexpr uint32_t kSandyBridgeE = 0x206D0;

// The role index of a RailItem role code, or -1.
int RoleIndex(uint8_t code) {
  switch (code) {
    case 2: return kRailNorthBridge;
    case 3: return kRailSouthBridge;
    case 4: return kRailVtt;
    case 1: return kRailMemory;
    case 11: return kRailPch;
    default: return -1;
  }
}

bool NoClass(const PlatformClass& p) { return !p.x58 && !p.p55 && !p.p67; }

}  // namespace

PlatformClass ClassifyPlatform(uint32_t signature) {
  PlatformClass c;
  if (signature < kFirstNehalem) return c;
  c.x58 = true;
  if (signature > kLastX58) {
    c.p55 = true;
    c.x58 = false;
  }
  if (signature >= kFirstSixCoreX58 && signature <= kLastSixCoreX58) {
    c.p55 = false;
    c.x58 = true;
  }
  const uint32_t model = signature & kModelMask;
  if (model == kSandyBridge || model == kSandyBridgeE) {
    c.x58 = false;
    c.p55 = false;
    c.p67 = true;
  }
  return c;
}

RailBases LoadRailBases(MemoryView energyTable, MemoryView railTable, bool altTable) {
  RailBases bases;
  fw::Profile profile;
  fw::ReadProfile(energyTable, fw::ProfileNumber(energyTable, altTable), profile);
  const fw::RailItem* items[kRailRoles] = {};
  for (const fw::RailItem& item : profile.railItems) {
    const int index = RoleIndex(item.role);
    if (index >= 0) items[index] = &item;
  }

  std::vector<fw::RailEntry> entries;
  fw::ReadRailTable(railTable, entries);
  for (const fw::RailEntry& entry : entries) {
    for (int index = 0; index < kRailRoles; ++index) {
      const fw::RailItem* item = items[index];
      if (!item || item->railId != entry.railId) continue;
      RailSlot& slot = bases.rails[index];
      slot.offset = entry.offset;
      // Read live: an earlier entry with the same rail id may have stored the base just now.
      slot.base = energyTable.U32(item->baseOffset());
      if (slot.base == 0) {
        slot.base = entry.presentValue;
        energyTable.Write32(item->baseOffset(), slot.base);
      }
      if (index != kRailPch) continue;
      for (const fw::RailSubEntry& sub : entry.subEntries) {
        // An adjustment larger than the value would wrap to a huge voltage: no override from it.
        if (sub.lower <= entry.presentValue && entry.presentValue <= sub.upper &&
            sub.adjust <= entry.secondValue) {
          bases.pchOverride = entry.secondValue - sub.adjust;
        }
      }
    }
  }
  return bases;
}

RailWrite SetRailTarget(MemoryView railTable, const RailBases& bases, const RailTarget& t) {
  if (t.role < 0 || t.role >= kRailRoles) return RailWrite::kNoRail;
  const RailSlot& slot = bases.rails[t.role];
  if (slot.offset == 0) return RailWrite::kNoRail;
  uint32_t target = slot.base;
  if (!t.useBase) {
    if (t.role == kRailPch && bases.pchOverride) {
      target = bases.pchOverride;
    } else if (t.reduction > slot.base) {
      // Unsigned, it would wrap to a huge value for the voltage regulator.
      return RailWrite::kBelowZero;
    } else {
      target = slot.base - t.reduction;
    }
  }
  return railTable.Write32(slot.offset + fw::rt::kPresentValue, target) ? RailWrite::kWritten
                                                                         : RailWrite::kNoRail;
}

std::vector<RailTarget> LevelRailTargets(int level, const PlatformClass& p) {
  std::vector<RailTarget> out;
  const bool none = NoClass(p);
  if (level == fw::kLevelL3) {
    if (p.p55) {
      out.push_back({kRailPch, kBridgeReduction, false});
    } else if (p.p67) {
      out.push_back({kRailPch, 0, true});
      out.push_back({kRailMemory, 0, true});
    } else {
      out.push_back({kRailNorthBridge, kBridgeReduction, false});
      out.push_back({kRailSouthBridge, kBridgeReduction, false});
    }
    if (none) out.push_back({kRailVtt, kBridgeReduction, false});
    if (!p.p67) out.push_back({kRailMemory, kMemoryReduction, false});
    return out;
  }
  // Levels 5 and 3 count a P67 board's PCH as its bridge; any other level does not.
  const bool pch = p.p55 || (p.p67 && (level == fw::kLevelL1 || level == fw::kLevelL2));
  if (pch) {
    out.push_back({kRailPch, 0, true});
  } else {
    out.push_back({kRailNorthBridge, 0, true});
    out.push_back({kRailSouthBridge, 0, true});
  }
  if (none) out.push_back({kRailVtt, 0, true});
  out.push_back({kRailMemory, 0, true});
  return out;
}

std::vector<RailTarget> AdvancedRailTargets(const PlatformClass& p,
                                            const std::function<bool(const char*)>& reduced) {
  static constexpr uint32_t kReductions[kRailRoles] = {kBridgeReduction, kBridgeReduction,
                                                       kBridgeReduction, kMemoryReduction,
                                                       kPchAdvancedReduction};
  std::vector<RailTarget> out;
  auto rail = [&](int role) {
    const bool on = reduced(kRailKeys[role]);
    out.push_back({role, on ? kReductions[role] : 0, !on});
  };
  if (p.p55 || p.p67) {
    rail(kRailPch);
  } else {
    rail(kRailNorthBridge);
    rail(kRailSouthBridge);
  }
  rail(kRailMemory);
  if (NoClass(p)) rail(kRailVtt);
  return out;
}

const char* RailKey(int role) { return role >= 0 && role < kRailRoles ? kRailKeys[role] : ""; }

}  // namespace zor
