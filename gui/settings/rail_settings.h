// Voltage rails: finding each role's RailTable entry and base at start, writing targets, and the
// rails of a level.
#pragma once

#include <cstdint>

#include "common/firmware.h"
#include "common/memory_view.h"
#include "gui/settings/main_state.h"
#include "gui/settings/settings_exit.h"
#include "platform/hwk.h"
#include "platform/message_box.h"

namespace zor {

class RailSettings {
 public:
  // A target below zero is refused with a message in boxes.
  RailSettings(MainState& state, Hwk& hwk, MessageBoxes& boxes, SettingsExit& exit)
      : m_state(state), m_hwk(hwk), m_boxes(boxes), m_exit(exit) {}

  bool LoadRailBases();
  // Writes a role's target into the RailTable; CommitRails has the firmware apply the table.
  bool SetRailTarget(int index, uint32_t reduction, bool useBase);
  bool CommitRails();
  void ApplyRails(int level);
  bool IsRailReduced(int index, bool* reduced);

 private:
  MemoryView RailTable() const;

  MainState& m_state;
  Hwk& m_hwk;
  MessageBoxes& m_boxes;
  SettingsExit& m_exit;
};

}  // namespace zor
