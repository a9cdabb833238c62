#include "gui/settings/rail_settings.h"

#include <cstdio>

#include "common/firmware_layout.h"
#include "common/firmware_tables.h"

namespace zor {

namespace {

constexpr uint32_t kBridgeReduction = 10000;
constexpr uint32_t kMemoryReduction = 2000;
constexpr const char* kRailNames[kRailRoles] = {"NB", "SB", "VTT", "MEM", "PCH"};

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

}  // namespace

bool RailSettings::LoadRailBases() {
  if (m_exit.Requested()) return false;  // it stores bases into the firmware's table
  for (RailSlot& slot : m_state.m_aRails) slot = RailSlot();
  m_state.m_dwPchOverride = 0;

  fw::Profile profile;
  fw::ReadProfile(m_state.m_pEs, fw::ProfileNumber(m_state.m_pEs, m_state.m_bAltTable), profile);
  const fw::RailItem* items[kRailRoles] = {};
  for (const fw::RailItem& item : profile.railItems) {
    const int index = RoleIndex(item.role);
    if (index >= 0) items[index] = &item;
  }

  std::vector<fw::RailEntry> entries;
  fw::ReadRailTable(RailTable(), entries);
  for (const fw::RailEntry& entry : entries) {
    for (int index = 0; index < kRailRoles; ++index) {
      const fw::RailItem* item = items[index];
      if (!item || item->railId != entry.railId) continue;
      RailSlot& slot = m_state.m_aRails[index];
      slot.offset = entry.offset;
      // Read live: an earlier entry with the same rail id may have stored the base just now.
      slot.base = m_state.m_pEs.U32(item->baseOffset());
      if (slot.base == 0) {
        // Kept in the table, so a later start finds the base even after the rail was lowered.
        slot.base = entry.presentValue;
        m_state.m_pEs.Write32(item->baseOffset(), slot.base);
      }
      if (index != kRailPch) continue;
      for (const fw::RailSubEntry& sub : entry.subEntries) {
        // An adjustment larger than the value would wrap to a huge voltage: no override from it.
        if (sub.lower <= entry.presentValue && entry.presentValue <= sub.upper &&
            sub.adjust <= entry.secondValue) {
          m_state.m_dwPchOverride = entry.secondValue - sub.adjust;
        }
      }
    }
  }
  return true;
}

bool RailSettings::SetRailTarget(int index, uint32_t reduction, bool useBase) {
  if (m_exit.Requested()) return false;
  if (index < 0 || index >= kRailRoles) return false;
  const RailSlot& slot = m_state.m_aRails[index];
  if (slot.offset == 0) return false;
  uint32_t target = slot.base;
  if (!useBase) {
    if (index == kRailPch && m_state.m_dwPchOverride) {
      target = m_state.m_dwPchOverride;
    } else if (reduction > slot.base) {
      // Unsigned, it would wrap to a huge value for the voltage regulator: the rail keeps its
      // present value.
      char text[160];
      std::snprintf(text, sizeof text,
                    "%s rail: a reduction of %u from its base %u would go below zero; the rail "
                    "keeps its present value.",
                    kRailNames[index], static_cast<unsigned>(reduction),
                    static_cast<unsigned>(slot.base));
      m_boxes.Show(text, "Worry", MessageIcon::Information);
      return false;
    } else {
      target = slot.base - reduction;
    }
  }
  return RailTable().Write32(slot.offset + fw::rt::kPresentValue, target);
}

bool RailSettings::CommitRails() {
  if (m_exit.Requested()) return false;
  fw::ApplyRailTable(m_hwk,
                     fw::SmiTarget{m_state.m_wSmiPort, static_cast<uint8_t>(m_state.m_wSmiType)});
  return true;
}

bool RailSettings::ApplyRails(int level) {
  const bool none = !m_state.m_bX58 && !m_state.m_bP55 && !m_state.m_bP67;
  if (level == fw::kLevelL3) {
    if (m_state.m_bP55) {
      SetRailTarget(kRailPch, kBridgeReduction, false);
    } else if (m_state.m_bP67) {
      SetRailTarget(kRailPch, 0, true);
      SetRailTarget(kRailMemory, 0, true);
    } else {
      SetRailTarget(kRailNorthBridge, kBridgeReduction, false);
      SetRailTarget(kRailSouthBridge, kBridgeReduction, false);
    }
    if (none) SetRailTarget(kRailVtt, kBridgeReduction, false);
    if (!m_state.m_bP67) SetRailTarget(kRailMemory, kMemoryReduction, false);
  } else {
    // Levels 5 and 3 count a P67 board's PCH as its bridge; any other level does not.
    const bool pch = m_state.m_bP55 ||
                     (m_state.m_bP67 && (level == fw::kLevelL1 || level == fw::kLevelL2));
    if (pch) {
      SetRailTarget(kRailPch, 0, true);
    } else {
      SetRailTarget(kRailNorthBridge, 0, true);
      SetRailTarget(kRailSouthBridge, 0, true);
    }
    if (none) SetRailTarget(kRailVtt, 0, true);
    SetRailTarget(kRailMemory, 0, true);
  }
  CommitRails();
  return true;
}

bool RailSettings::IsRailReduced(int index, bool* reduced) {
  *reduced = false;
  if (index < 0 || index >= kRailRoles || m_state.m_aRails[index].offset == 0) return false;
  const RailSlot& slot = m_state.m_aRails[index];
  *reduced = RailTable().U32(slot.offset + fw::rt::kPresentValue) < slot.base;
  return true;
}

MemoryView RailSettings::RailTable() const {
  return fw::RailTableWithin(m_state.m_pEs, m_state.m_dwEsAddr, m_state.m_dwEs2Addr);
}

}  // namespace zor
