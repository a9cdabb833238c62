// The window of the zor2 that already runs in this session, brought to the front.
#pragma once

namespace zor {

// Restores the running copy's main window if it is minimised and makes it the foreground window;
// nothing when none is found (a copy in another session, or one still starting in "state" mode).
void ShowRunningZor2();

}  // namespace zor
