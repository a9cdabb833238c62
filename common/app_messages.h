// Every private window message (the platform's WM_APP range) the programs use, in one place so
// that no two can take the same number.
#pragma once

namespace zor {

constexpr unsigned kWmApp = 0x8000;  // WM_APP

// One for each piece of work posted to a window (ui::PostQueue), which runs the oldest.
constexpr unsigned kMsgPosted = kWmApp + 1;
// Zor2Tray's notification-area icon's callback: the mouse message in lParam.
constexpr unsigned kMsgTrayIcon = kWmApp + 2;
// Posted to zor2's main window by the updater: close now, without the closing question (see
// common/zor2_window.h).
constexpr unsigned kMsgCloseForUpdate = kWmApp + 0x40;

}  // namespace zor
