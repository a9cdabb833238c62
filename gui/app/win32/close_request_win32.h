// The updater's close request for a zor2 in any session (see common/zor2_window.h).
#pragma once

namespace zor {

// Makes this process's close event and waits on it on a thread of its own; when the updater sets
// it, the main window is sent kMsgCloseForUpdate as if the updater had posted it. Without the
// event the updater can still reach a window on its own desktop.
void WatchUpdaterCloseRequest();

}  // namespace zor
