#include "gui/app/win32/running_copy_win32.h"

#include <windows.h>

#include "ui/win32/win32_hwnd_host.h"

namespace zor {

namespace {

// The main window: a shown skin window without an owner, of another process.
BOOL CALLBACK FindMainWindow(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char className[64] = {};
  if (process != GetCurrentProcessId() && !GetWindow(window, GW_OWNER) && IsWindowVisible(window) &&
      GetClassNameA(window, className, sizeof className) > 0 && lstrcmpA(className, ui::kSkinWindowClass) == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void ShowRunningZor2() {
  HWND window = nullptr;
  EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&window));
  if (!window) return;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  // A program the user just started may hand the foreground on.
  SetForegroundWindow(window);
}

}  // namespace zor
