// zor2's processes on Windows 2000 and later: listed by name, asked to close through their main
// window on this desktop or, in another session, through the close event each one keeps.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/zor2_window.h"
#include "platform/processes.h"
#include "platform/program_paths.h"
#include "apps/updexe/update_control_win32.h"
#include "ui/win32/win32_hwnd_host.h"

namespace zor {

namespace {

constexpr DWORD kEndWaitMs = 5000;

struct CloseRequest {
  DWORD processId;
  bool posted;
};

BOOL CALLBACK PostCloseToMainWindow(HWND window, LPARAM param) {
  CloseRequest& request = *reinterpret_cast<CloseRequest*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[64] = {};
  if (owner == request.processId && !GetWindow(window, GW_OWNER) &&
      GetClassNameA(window, className, sizeof className) > 0 &&
      lstrcmpA(className, ui::kSkinWindowClass) == 0 &&
      PostMessageA(window, kMsgCloseForUpdate, 0, 0)) {
    request.posted = true;
  }
  return TRUE;
}

// The event a zor2 in any session waits on to close as if its window had been asked.
bool SignalCloseEvent(DWORD processId) {
  char name[80];
  std::snprintf(name, sizeof name, "%s%lu", kCloseForUpdateEventPrefix, static_cast<unsigned long>(processId));
  HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
  if (!event) return false;
  const bool set = SetEvent(event) != FALSE;
  CloseHandle(event);
  return set;
}

}  // namespace

Win32Zor2Instances::Win32Zor2Instances(std::string programDir) : m_dir(std::move(programDir)) {}

bool Win32Zor2Instances::List(std::vector<uint32_t>* ids) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    const char* name = std::strrchr(entry.szExeFile, '\\');
    name = name ? name + 1 : entry.szExeFile;
    if (lstrcmpiA(name, "zor2.exe") == 0) ids->push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return true;
}

bool Win32Zor2Instances::AskToClose(uint32_t id) {
  CloseRequest request = {id, false};
  EnumWindows(PostCloseToMainWindow, reinterpret_cast<LPARAM>(&request));
  return request.posted || SignalCloseEvent(id);
}

bool Win32Zor2Instances::WaitEnded(uint32_t id, uint32_t ms) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;  // gone already
  const bool ended = WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

bool Win32Zor2Instances::End(uint32_t id) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0 ||
                     (TerminateProcess(process, 0) && WaitForSingleObject(process, kEndWaitMs) == WAIT_OBJECT_0);
  CloseHandle(process);
  return ended;
}

bool Win32Zor2Instances::Start() {
  std::string line = QuotedCommand(JoinPath(m_dir, "zor2.exe"), "");
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, m_dir.c_str(), &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace zor
