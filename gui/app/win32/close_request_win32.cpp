#include <windows.h>
#include <sddl.h>

#include <cstdio>

#include "common/zor2_window.h"
#include "gui/app/win32/close_request_win32.h"
#include "ui/win32/win32_hwnd_host.h"

namespace zor {

namespace {

// Only the updater (an administrator) and the system may set it: anyone else could close a
// user's zor2 at will.
constexpr char kEventAccess[] = "D:(A;;0x1F0003;;;SY)(A;;0x1F0003;;;BA)";

BOOL CALLBACK PostToOwnMainWindow(HWND window, LPARAM) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[64] = {};
  if (owner == GetCurrentProcessId() && !GetWindow(window, GW_OWNER) &&
      GetClassNameA(window, className, sizeof className) > 0 && lstrcmpA(className, ui::kSkinWindowClass) == 0) {
    PostMessageA(window, kMsgCloseForUpdate, 0, 0);
  }
  return TRUE;
}

DWORD WINAPI WaitForRequest(void* event) {
  if (WaitForSingleObject(static_cast<HANDLE>(event), INFINITE) == WAIT_OBJECT_0) {
    EnumWindows(PostToOwnMainWindow, 0);
  }
  return 0;
}

}  // namespace

void WatchUpdaterCloseRequest() {
  char name[80];
  std::snprintf(name, sizeof name, "%s%lu", kCloseForUpdateEventPrefix,
                static_cast<unsigned long>(GetCurrentProcessId()));
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kEventAccess, SDDL_REVISION_1, &descriptor, nullptr)) {
    return;
  }
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  HANDLE event = CreateEventA(&attributes, TRUE, FALSE, name);
  LocalFree(descriptor);
  if (!event) return;
  // The thread and the event live as long as the process.
  HANDLE thread = CreateThread(nullptr, 0, WaitForRequest, event, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
  } else {
    CloseHandle(event);
  }
}

}  // namespace zor
