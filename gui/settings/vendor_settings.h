// The graphics-clock reduction (Clockvane.dll, bound once) and the CPU fan curve (SF.DLL, bound for
// each operation). A library that cannot be loaded ends the program.
#pragma once

#include "gui/settings/main_state.h"
#include "gui/settings/settings_exit.h"
#include "platform/message_box.h"
#include "platform/vendor_libraries.h"

namespace zor {

class VendorSettings {
 public:
  VendorSettings(MainState& state, VendorLibraries& vendors, MessageBoxes& boxes,
                 SettingsExit& exit)
      : m_state(state), m_vendors(vendors), m_boxes(boxes), m_exit(exit) {}

  bool LoadGraphicsClock();
  // Also while the user's power settings are given back after an exit request.
  bool SetGraphicsClockSaving(bool low);
  bool ReadFanCurveState(bool* energy);
  bool WriteFanCurve(bool energy);
  void ShowLastErrorText();

 private:
  MainState& m_state;
  VendorLibraries& m_vendors;
  MessageBoxes& m_boxes;
  SettingsExit& m_exit;
};

}  // namespace zor
