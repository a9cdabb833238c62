// The user's own power plan and time-outs as INFO.DAT keeps them while the program's may be in
// force: the record each interactive start makes before the saving plan replaces them (cleared by
// every clean ending), and the parked settings of a "keep saving" close.
#pragma once

#include "common/info_store.h"

namespace zor {

struct UserPowerSettings {
  int scheme = 0;
  int diskTimeout = 0;     // minutes; kTimeoutUnknown when it could not be read
  int monitorTimeout = 0;  // minutes
};

// The record left by a run that did not end cleanly; false when there is none.
bool ReadHeldUserPower(InfoStore& info, UserPowerSettings& settings);
// The settings a "keep saving" close parked ([INFO] "PV" not 0); false when there are none.
bool ReadParkedUserPower(InfoStore& info, UserPowerSettings& settings);
// Records the settings in one replace of the file; false when it could not be written.
bool HoldUserPower(InfoStore& info, const UserPowerSettings& settings);
// The record within a transaction that gives the settings back or parks them.
void ReleaseUserPower(InfoFile& file);

}  // namespace zor
