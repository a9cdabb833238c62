#include <windows.h>

#include "platform/shutdown.h"

namespace zor {

namespace {

class Win32Shutdown : public Shutdown {
 public:
  unsigned long AdjustPrivilege(const std::string& name, bool enable) override {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
      return Failure();
    }
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    if (!LookupPrivilegeValueA(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) {
      const unsigned long error = Failure();
      CloseHandle(token);
      return error;
    }
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    // The call succeeds even when the token lacks the privilege; only the last error tells.
    SetLastError(ERROR_SUCCESS);
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    const unsigned long error = GetLastError();
    CloseHandle(token);
    return error;
  }

  bool RequestRestart() override { return ExitWindowsEx(EWX_REBOOT, 0) != FALSE; }

 private:
  static unsigned long Failure() {
    const DWORD error = GetLastError();
    return error ? error : ERROR_ACCESS_DENIED;
  }
};

}  // namespace

Shutdown& SystemShutdown() {
  static Win32Shutdown shutdown;
  return shutdown;
}

}  // namespace zor
