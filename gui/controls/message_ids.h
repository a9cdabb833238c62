// The notices and questions of the skinned message box, by the id that picks its picture, its
// buttons and its text, and what the box answers.
#pragma once

namespace zor {

enum MessageId : int {
  kMessageNoFirmwareData = 1,  // the firmware's energy-saving data could not be read
  kMessageLoadDefaults = 6,    // no caller shows it
  kMessageCloseOthers = 7,     // no caller shows it
  kMessageNotSupported = 8,    // the firmware rejects the energy-saving commands
  kMessageEnableEist = 9,      // the processor's power management is off in the firmware setup
  kMessageKeepSaving = 10,     // closing while saving: keep saving after the program ends?
  kMessageWrongRevision = 11,  // the firmware table's version is not the supported one
  kMessageLowPowerOn = 12,     // switch the low-power state on and restart?
  kMessageLowPowerOff = 13,    // switch it off and restart?
};

// ShowMessage's answer for the first button (OK or Yes) and the second (No). A box closed some
// other way answers its id, which callers take as No.
enum MessageAnswer : int { kAnswerNo = 0, kAnswerYes = 1 };

}  // namespace zor
