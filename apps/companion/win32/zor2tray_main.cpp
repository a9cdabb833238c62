// Zor2Tray.exe: the notification-area companion. A hidden window owns the icon, reads INFO.DAT once
// a second and shows what the figures say; its menu opens zor2, the energy report, or hides it.
//
//   Zor2Tray            shows the icon (also after the user hid it)
//   Zor2Tray --logon    the Run key's start: nothing when the user hid the icon
//   Zor2Tray --state    prints what the running copy shows (its look and tooltip), for tests
#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string>

#include "apps/companion/companion_state.h"
#include "common/app_messages.h"
#include "common/lock_names.h"
#include "common/hwk_binding.h"
#include "common/service_name.h"
#include "platform/file_ops.h"
#include "platform/program_paths.h"
#include "platform/shell.h"
#include "platform/single_instance.h"

namespace {

using namespace zor;

constexpr char kWindowClass[] = "Zorwise.Zor2Tray";
constexpr char kSettingsKey[] = "Software\\Zorwise\\Zor2Tray";
constexpr char kHiddenValue[] = "Hidden";

constexpr UINT kIconId = 1;
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 1000;

enum MenuItem : UINT { kOpenZorwise = 1, kEnergyReport, kHideIcon };

// Icon resources by look.
int IconResource(CompanionLook look) {
  switch (look) {
    case CompanionLook::kSavingOn:
      return 1;
    case CompanionLook::kSavingOff:
      return 2;
    case CompanionLook::kStale:
    case CompanionLook::kNoService:
      return 3;
  }
  return 2;
}

bool HiddenByUser() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  const bool hidden = RegQueryValueExA(key, kHiddenValue, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                       &size) == ERROR_SUCCESS &&
                      type == REG_DWORD && value != 0;
  RegCloseKey(key);
  return hidden;
}

void SetHiddenByUser(bool hidden) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  const DWORD value = hidden ? 1 : 0;
  RegSetValueExA(key, kHiddenValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

// The simulated board marks its library with an extra entry point. The library is mapped without
// running its start-up code: the companion never talks to the hardware.
bool DemoBoardBeside(const std::string& dir) {
  const HMODULE module = LoadLibraryExA(JoinPath(dir, "hwk.dll").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  if (!module) return false;
  const bool simulated = GetProcAddress(module, kSimulatedBoardEntry) != nullptr;
  FreeLibrary(module);
  return simulated;
}

// True only when the service manager says for certain that the service is not running (or not
// installed). Asked with the rights any user has.
bool ServiceStopped() {
  const SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return false;
  bool stopped = false;
  const SC_HANDLE service = OpenServiceA(manager, kServiceName, SERVICE_QUERY_STATUS);
  if (service) {
    SERVICE_STATUS status{};
    if (QueryServiceStatus(service, &status))
      stopped = status.dwCurrentState == SERVICE_STOPPED || status.dwCurrentState == SERVICE_STOP_PENDING;
    CloseServiceHandle(service);
  } else {
    stopped = GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
  }
  CloseServiceHandle(manager);
  return stopped;
}

class Companion {
 public:
  explicit Companion(std::string dir) : m_dir(std::move(dir)), m_info(JoinPath(m_dir, "INFO.DAT")) {}

  bool Create(HINSTANCE instance) {
    m_instance = instance;
    m_demoBoard = DemoBoardBeside(m_dir);
    m_taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Companion::Proc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassA(&wc)) return false;
    // A top-level window that is never shown: message-only windows miss TaskbarCreated.
    m_hwnd = CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
    if (!m_hwnd) return false;
    Tick();
    SetTimer(m_hwnd, kTickTimer, kTickMs, nullptr);
    return true;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Companion*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self) return self->Handle(hwnd, message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

  LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_TIMER:
        if (wParam == kTickTimer) Tick();
        return 0;
      case kMsgTrayIcon:
        if (lParam == WM_RBUTTONUP || lParam == WM_CONTEXTMENU) ShowMenu();
        if (lParam == WM_LBUTTONDBLCLK) OpenZorwise();
        return 0;
      case WM_DESTROY:
        RemoveIcon();
        PostQuitMessage(0);
        return 0;
      case WM_ENDSESSION:
        if (wParam) RemoveIcon();
        return 0;
      default:
        // A shell that started again has forgotten the icon.
        if (message == m_taskbarCreated && m_taskbarCreated != 0) {
          m_iconShown = false;
          ShowIcon();
          return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
  }

  void Tick() {
    m_state.Tick(ReadCompanionFigures(m_info, SystemFileOps()), &ServiceStopped);
    const CompanionLook look = m_state.Look();
    const std::string tip = TooltipText(look, m_state.Figures(), m_demoBoard);
    if (m_iconShown && look == m_look && tip == m_tip) return;
    m_look = look;
    m_tip = tip;
    ShowIcon();
    // What --state reads back from another process.
    SetWindowTextA(m_hwnd, (std::string(LookName(look)) + "\n" + tip).c_str());
  }

  HICON Icon(CompanionLook look) {
    const int id = IconResource(look);
    HICON& icon = m_icons[id - 1];
    if (!icon) {
      icon = static_cast<HICON>(LoadImageA(m_instance, MAKEINTRESOURCEA(id), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    }
    return icon;
  }

  NOTIFYICONDATAA IconData() const {
    NOTIFYICONDATAA data{};
    // The layout with the 128-character tooltip, which every shell since Windows 2000 takes.
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = m_hwnd;
    data.uID = kIconId;
    return data;
  }

  void ShowIcon() {
    NOTIFYICONDATAA data = IconData();
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    data.uCallbackMessage = kMsgTrayIcon;
    data.hIcon = Icon(m_look);
    lstrcpynA(data.szTip, m_tip.c_str(), sizeof data.szTip);
    // A shell that started again has forgotten the icon: the change fails, and it is added anew.
    if (m_iconShown && Shell_NotifyIconA(NIM_MODIFY, &data)) return;
    m_iconShown = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  }

  void RemoveIcon() {
    if (!m_iconShown) return;
    NOTIFYICONDATAA data = IconData();
    Shell_NotifyIconA(NIM_DELETE, &data);
    m_iconShown = false;
  }

  void ShowMenu() {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuA(menu, MF_STRING, kOpenZorwise, "Open Zorwise");
    AppendMenuA(menu, MF_STRING, kEnergyReport, "Energy report");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kHideIcon, "Hide icon");
    SetMenuDefaultItem(menu, kOpenZorwise, FALSE);
    POINT at{};
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only if its owner is in front.
    SetForegroundWindow(m_hwnd);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hwnd, nullptr));
    PostMessageA(m_hwnd, WM_NULL, 0, 0);
    DestroyMenu(menu);
    switch (chosen) {
      case kOpenZorwise:
        OpenZorwise();
        break;
      case kEnergyReport:
        EnergyReport();
        break;
      case kHideIcon:
        // Until the user starts Zor2Tray again; the logon start then stays away too.
        SetHiddenByUser(true);
        DestroyWindow(m_hwnd);
        break;
      default:
        break;
    }
  }

  // zor2 asks for elevation in its manifest: ShellExecute lets the system prompt for it.
  void OpenZorwise() { SystemShell().Open(JoinPath(m_dir, "zor2.exe"), ""); }

  // zorstat writes the report to the user's documents and opens it in the browser; it runs
  // without a console window.
  void EnergyReport() {
    const std::string program = JoinPath(m_dir, "zorstat.exe");
    std::string commandLine = "\"" + program + "\" --report";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        m_dir.c_str(), &startup, &process))
      return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }

  std::string m_dir;
  InfoStore m_info;
  HINSTANCE m_instance = nullptr;
  HWND m_hwnd = nullptr;
  UINT m_taskbarCreated = 0;
  bool m_demoBoard = false;
  CompanionState m_state;
  CompanionLook m_look = CompanionLook::kSavingOff;
  std::string m_tip;
  bool m_iconShown = false;
  HICON m_icons[3] = {};
};

// --state: the running copy's look and tooltip on standard output.
int PrintState() {
  const HWND running = FindWindowA(kWindowClass, nullptr);
  char text[256] = "not running";
  if (running) GetWindowTextA(running, text, sizeof text);
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  if (out && out != INVALID_HANDLE_VALUE) {
    WriteFile(out, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    WriteFile(out, "\n", 1, &written, nullptr);
  }
  return running ? 0 : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const std::string arguments = commandLine ? commandLine : "";
  if (arguments.find("--state") != std::string::npos) return PrintState();
  const bool logonStart = arguments.find("--logon") != std::string::npos;
  if (!zor::SystemSingleInstance().Claim(locks::kZor2TrayInstance)) return 0;
  const bool hidden = HiddenByUser();
  if (!zor::ShowsIconAtStart(logonStart, hidden)) return 0;
  if (hidden) SetHiddenByUser(false);

  Companion companion(zor::ProgramDirectory());
  if (!companion.Create(instance)) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
