#include "gui/settings/rail_settings.h"

#include <cstdio>

#include "common/firmware_layout.h"
#include "common/rail_targets.h"

namespace zor {

bool RailSettings::LoadRailBases() {
  if (m_exit.Requested()) return false;  // it stores bases into the firmware's table
  const RailBases bases = zor::LoadRailBases(m_state.m_pEs, RailTable(), m_state.m_bAltTable);
  for (int index = 0; index < kRailRoles; ++index) m_state.m_aRails[index] = bases.rails[index];
  m_state.m_dwPchOverride = bases.pchOverride;
  return true;
}

bool RailSettings::SetRailTarget(int index, uint32_t reduction, bool useBase) {
  if (m_exit.Requested()) return false;
  RailBases bases;
  for (int i = 0; i < kRailRoles; ++i) bases.rails[i] = m_state.m_aRails[i];
  bases.pchOverride = m_state.m_dwPchOverride;
  const RailWrite result = zor::SetRailTarget(RailTable(), bases, {index, reduction, useBase});
  if (result == RailWrite::kBelowZero) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "%s rail: a reduction of %u from its base %u would go below zero; the rail "
                  "keeps its present value.",
                  RailKey(index), static_cast<unsigned>(reduction),
                  static_cast<unsigned>(m_state.m_aRails[index].base));
    m_boxes.Show(text, "Worry", MessageIcon::Information);
  }
  return result == RailWrite::kWritten;
}

bool RailSettings::CommitRails() {
  if (m_exit.Requested()) return false;
  fw::ApplyRailTable(m_hwk,
                     fw::SmiTarget{m_state.m_wSmiPort, static_cast<uint8_t>(m_state.m_wSmiType)});
  return true;
}

void RailSettings::ApplyRails(int level) {
  const PlatformClass platform{m_state.m_bX58, m_state.m_bP55, m_state.m_bP67};
  for (const RailTarget& t : LevelRailTargets(level, platform)) {
    SetRailTarget(t.role, t.reduction, t.useBase);
  }
  CommitRails();
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
