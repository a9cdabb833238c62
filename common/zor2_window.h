// What another Zorwise program may ask of a running zor2 through a message to its main window
// (the top-level skin window, without an owner, of a zor2.exe process).
#pragma once

#include "common/app_messages.h"

namespace zor {

// kMsgCloseForUpdate (common/app_messages.h), posted by the updater: close now, without the
// closing question. Saving that is on stays on and the user's own power settings are parked in
// INFO.DAT, as when the user answers "keep saving"; saving that is off ends as any close does.

// A window message reaches no other session: there, the updater sets the event of this name
// followed by zor2's process id (in decimal), and zor2 posts itself kMsgCloseForUpdate.
constexpr const char* kCloseForUpdateEventPrefix = "Global\\ZOR2.CloseForUpdate.";

}  // namespace zor
