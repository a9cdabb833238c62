// Stopping and starting the service and zor2 around an update, on Windows 2000 and later.
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "common/service_name.h"
#include "common/zor2_window.h"
#include "platform/processes.h"
#include "platform/program_paths.h"
#include "platform/service_manager.h"
#include "tools/updexe/update_control_win32.h"
#include "ui/win32/win32_hwnd_host.h"

namespace zor {

namespace {

constexpr DWORD kEndWaitMs = 5000;
// A close finishes the write in hand and gives back the user's power settings, a system command
// or two of at most 10 s each.
constexpr DWORD kCloseWaitMs = 30000;
constexpr uint32_t kNetWaitMs = 60000;
constexpr int kStopPolls = 300;  // 100 ms apart
constexpr DWORD kPollMs = 100;

uint32_t ServiceState() {
  std::unique_ptr<ServiceManagerHandle> manager = SystemServiceManager().Open();
  if (!manager) return 0;
  std::unique_ptr<ServiceHandle> service = manager->OpenNamed(kServiceName);
  uint32_t state = 0;
  if (!service || !service->QueryState(&state)) return 0;
  return state;
}

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

// Posts the close request to the main window of one zor2 process; false when it has none.
bool AskToClose(DWORD processId) {
  CloseRequest request = {processId, false};
  EnumWindows(PostCloseToMainWindow, reinterpret_cast<LPARAM>(&request));
  return request.posted;
}

}  // namespace

Win32UpdateControl::Win32UpdateControl(std::string programDir) : m_dir(std::move(programDir)) {}

bool Win32UpdateControl::StopZor2(bool* wasRunning) {
  *wasRunning = false;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  std::vector<DWORD> ids;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    const char* name = std::strrchr(entry.szExeFile, '\\');
    name = name ? name + 1 : entry.szExeFile;
    if (lstrcmpiA(name, "zor2.exe") == 0) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  bool ended = true;
  for (DWORD id : ids) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) {
      ended = false;
      continue;
    }
    *wasRunning = true;
    // Asked first, so that zor2 parks the user's power settings as it does when closed: ended
    // outright, it would leave the saving plan in force, and the restarted zor2 would take that
    // for the user's own. One that has no window (a logon start) or does not answer is ended.
    const bool asked = AskToClose(id);
    if (WaitForSingleObject(process, asked ? kCloseWaitMs : kEndWaitMs) != WAIT_OBJECT_0 &&
        (!TerminateProcess(process, 0) || WaitForSingleObject(process, kEndWaitMs) != WAIT_OBJECT_0)) {
      ended = false;
    }
    CloseHandle(process);
  }
  return ended;
}

void Win32UpdateControl::StartZor2() {
  std::string line = QuotedCommand(JoinPath(m_dir, "zor2.exe"), "");
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, m_dir.c_str(), &startup,
                     &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

bool Win32UpdateControl::StopService(bool* wasRunning) {
  const uint32_t state = ServiceState();
  *wasRunning = state != 0 && state != kServiceStopped;
  if (!*wasRunning) return true;
  // net.exe from the system folder by full path, never from the search path.
  char system[MAX_PATH];
  const UINT length = GetSystemDirectoryA(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  SystemProcesses().RunHidden(QuotedCommand(JoinPath(system, "net.exe"), "stop \"ZOR2 Service\""), kNetWaitMs);
  for (int poll = 0; poll < kStopPolls; ++poll) {
    if (ServiceState() == kServiceStopped) return true;
    Sleep(kPollMs);
  }
  return false;
}

void Win32UpdateControl::StartService() {
  std::unique_ptr<ServiceManagerHandle> manager = SystemServiceManager().Open();
  if (!manager) return;
  if (std::unique_ptr<ServiceHandle> service = manager->OpenNamed(kServiceName)) service->Start();
}

}  // namespace zor
