// Binds a portable Window to a borderless popup HWND and runs it modally, as a dialog would run.
#include <windows.h>
#include <windowsx.h>

#include <cstddef>
#include <cstdlib>
#include <mutex>

#include "common/app_messages.h"
#include "ui/desktop.h"
#include "ui/post_queue.h"
#include "ui/resume_filter.h"
#include "ui/win32/win32_canvas.h"
#include "ui/win32/win32_children.h"
#include "ui/win32/win32_dispatch.h"
#include "ui/win32/win32_resources.h"

namespace zor::ui {

namespace {

// The size of the dialog template the windows start from, in dialog units; initialisation gives
// every window the size of its picture.
constexpr int kTemplateWidthDlu = 187;
constexpr int kTemplateHeightDlu = 94;

int RunModal(Window& window, HWND owner);


class Win32WindowHost : public Win32Dispatch<Win32WindowHost> {
 public:
  explicit Win32WindowHost(Window& window) : Win32Dispatch(window) {}

  HWND Hwnd() const { return m_hwnd; }
  bool Ended() const { return m_ended; }
  int Result() const { return m_result; }

  // The top-level window's own messages: the minimised paint, the close command, posted work,
  // the notification-area icon, owner-draw of its lists, and the system's power and session
  // messages, turned into typed calls.
  bool HandleOwn(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The host lives on RunModal's stack; nothing to free.
  static void Detached(Win32WindowHost*) {}

  // WindowHost
  int DoModal(Window& dialog) override { return RunModal(dialog, m_hwnd); }
  Rect WindowRect() const override {
    RECT r{};
    GetWindowRect(m_hwnd, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
  }
  void ReleaseMouse() override { ReleaseCapture(); }
  void SetCursor(Cursor cursor) override {
    ::SetCursor(LoadCursor(nullptr, cursor == Cursor::Hand ? IDC_HAND : IDC_ARROW));
  }
  void BeginDrag(Point client) override {
    POINT p{client.x, client.y};
    ClientToScreen(m_hwnd, &p);
    const Rect r = WindowRect();
    m_drag.Arm(Point{p.x, p.y}, Point{r.left, r.top});
    if (GetCapture() != m_hwnd) SetCapture(m_hwnd);
  }
  void EndModal(int result) override {
    m_ended = true;
    m_result = result;
  }
  void ExitProcess(int status) override {
    std::exit(status);
  }
  unsigned SystemLanguage() const override { return GetSystemDefaultLangID(); }
  void SetTitle(const std::string& title) override { SetWindowTextA(m_hwnd, title.c_str()); }
  void SetIcon(int resourceId) override {
    m_icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId));
    SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
  }
  void Minimise() override { ShowWindow(m_hwnd, SW_MINIMIZE); }
  bool IsIconic() const override { return ::IsIconic(m_hwnd) != FALSE; }
  std::shared_ptr<WindowPoster> Poster() override {
    if (!m_posts) {
      HWND hwnd = m_hwnd;
      m_posts = std::make_shared<PostQueue>([hwnd] { return PostMessageA(hwnd, kMsgPosted, 0, 0) != 0; });
    }
    return m_posts;
  }
  void DropPosts() override {
    if (m_posts) m_posts->Close();
  }

 private:
  void PaintIcon();

  bool m_ended = false;
  int m_result = kIdCancel;
  HICON m_icon = nullptr;
  ResumeFilter m_resumes;
  std::shared_ptr<PostQueue> m_posts;
};

// A minimised window shows its icon centred, over the icon background.
void Win32WindowHost::PaintIcon() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hwnd, &paint);
  SendMessageA(m_hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(m_hwnd, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  if (m_icon) DrawIcon(dc, x, y, m_icon);
  EndPaint(m_hwnd, &paint);
}

PowerEvent PowerEventOf(WPARAM event) {
  switch (event) {
    case PBT_APMSUSPEND: return PowerEvent::Suspend;
    case PBT_APMRESUMESUSPEND: return PowerEvent::ResumeSuspend;
    case PBT_APMRESUMEAUTOMATIC: return PowerEvent::ResumeAutomatic;
    default: return PowerEvent::Other;
  }
}

bool Win32WindowHost::HandleOwn(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_PAINT:
      if (!::IsIconic(m_hwnd)) return false;
      PaintIcon();
      return true;
    case WM_CLOSE:
      m_window.OnCancel();
      return true;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<LRESULT>(m_icon);
      return true;
    case kMsgPosted:
      if (m_posts) m_posts->RunOne();
      return true;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (ReflectOwnerDraw(message, wParam, lParam, &result)) return true;
      result = DefWindowProcA(m_hwnd, message, wParam, lParam);
      return true;
    case WM_POWERBROADCAST:
      if (m_resumes.IsNewResume(PowerEventOf(wParam))) m_window.OnResume();
      return false;  // the default handling follows
    case WM_ENDSESSION:
      // The process goes once this returns; wParam 0: another program called the end off.
      if (wParam) m_window.OnEndSession();
      return true;
    default:
      return false;
  }
}

bool RegisterWindowClass() {
  // No class cursor: the window sets its cursor at every move.
  return Win32WindowHost::Register(kSkinWindowClass, nullptr);
}

// Where a dialog goes when its initialisation left its position alone: centred over a visible
// owner, or over the work area of its monitor.
void Centre(HWND hwnd, HWND owner) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(owner ? owner : hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const Rect work{monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right,
                  monitor.rcWork.bottom};
  Rect ownerRect;
  const bool overOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);
  if (overOwner) {
    RECT o{};
    GetWindowRect(owner, &o);
    ownerRect = Rect{o.left, o.top, o.right, o.bottom};
  }
  const Point p = CentredPosition(Rect{r.left, r.top, r.right, r.bottom},
                                  overOwner ? &ownerRect : nullptr, work);
  SetWindowPos(hwnd, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

int RunModal(Window& window, HWND owner) {
  if (!RegisterWindowClass()) return -1;
  Win32WindowHost host(window);
  window.Attach(&host);
  const LONG units = GetDialogBaseUnits();
  const int width = MulDiv(kTemplateWidthDlu, LOWORD(units), 4);
  const int height = MulDiv(kTemplateHeightDlu, HIWORD(units), 8);
  // A main window gets a taskbar button, and the system menu and minimise box that let the
  // taskbar minimise and restore it; it still has no frame or caption.
  const DWORD exStyle = window.IsAppWindow() ? WS_EX_APPWINDOW : 0;
  const DWORD style = WS_POPUP | (window.IsAppWindow() ? WS_SYSMENU | WS_MINIMIZEBOX : 0);
  HWND hwnd = CreateWindowExA(exStyle, kSkinWindowClass, "", style, 0, 0, width, height, owner, nullptr,
                              GetModuleHandleA(nullptr), &host);
  if (!hwnd) {
    window.Attach(nullptr);
    return -1;
  }
  RECT before{};
  GetWindowRect(hwnd, &before);
  if (!window.OnInit() || host.Ended()) {
    host.DropPosts();
    DestroyWindow(hwnd);
    window.Attach(nullptr);
    return host.Ended() ? host.Result() : -1;
  }
  RECT after{};
  GetWindowRect(hwnd, &after);
  if (after.left == before.left && after.top == before.top) Centre(hwnd, owner);

  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  UpdateWindow(hwnd);

  MSG msg;
  while (!host.Ended()) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave the quit to the outer loop
      break;
    }
    if (got < 0) break;
    if ((msg.hwnd == hwnd || IsChild(hwnd, msg.hwnd)) && IsInput(msg.message)) {
      if (window.PreTranslateMessage(msg.message, msg.wParam)) continue;
      if (TranslateDialogKey(window, hwnd, msg)) continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }

  if (disableOwner) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  host.DropPosts();
  DestroyWindow(hwnd);
  window.Attach(nullptr);
  return host.Result();
}

class DesktopHost : public ModalHost {
 public:
  int DoModal(Window& dialog) override { return RunModal(dialog, nullptr); }
};

}  // namespace

ModalHost& Desktop() {
  static DesktopHost desktop;
  return desktop;
}

}  // namespace zor::ui
