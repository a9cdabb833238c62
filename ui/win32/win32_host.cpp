// Binds a portable Window to a borderless popup HWND and runs it modally, as a dialog would run.
#include <windows.h>
#include <windowsx.h>

#include <cstddef>
#include <cstdlib>
#include <mutex>

#include "ui/desktop.h"
#include "ui/drag_tracker.h"
#include "ui/post_queue.h"
#include "ui/win32/win32_canvas.h"
#include "ui/win32/win32_hwnd_host.h"
#include "ui/win32/win32_children.h"
#include "ui/win32/win32_resources.h"

namespace zor::ui {

namespace {

// The size of the dialog template the windows start from, in dialog units; initialisation gives
// every window the size of its picture.
constexpr int kTemplateWidthDlu = 187;
constexpr int kTemplateHeightDlu = 94;

int RunModal(Window& window, HWND owner);

// One for each piece of work posted to the window (PostQueue), which runs the oldest.
constexpr UINT kMsgPosted = WM_APP + 1;

class Win32WindowHost : public Win32HwndHost {
 public:
  explicit Win32WindowHost(Window& window)
      : m_window(window),
        m_drag(GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)) {}

  HWND Hwnd() const { return m_hwnd; }
  bool Ended() const { return m_ended; }
  int Result() const { return m_result; }
  Window& Client() { return m_window; }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  // WindowHost
  int DoModal(Window& dialog) override { return RunModal(dialog, m_hwnd); }
  Rect WindowRect() const override {
    RECT r{};
    GetWindowRect(m_hwnd, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
  }
  void MoveWindow(const Rect& r, bool repaint) override {
    ::MoveWindow(m_hwnd, r.left, r.top, r.Width(), r.Height(), repaint ? TRUE : FALSE);
  }
  std::unique_ptr<Canvas> ClientCanvas() override;
  void CaptureMouse() override { SetCapture(m_hwnd); }
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
  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    MessageBoxA(m_hwnd, text.c_str(), caption.c_str(), MB_OK);
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

  void MouseMove(WPARAM keys, LPARAM lParam);

  Window& m_window;
  bool m_ended = false;
  int m_result = kIdCancel;
  DragTracker m_drag;
  RegionPtr m_appliedRegion;
  HICON m_icon = nullptr;
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

// A client DC for drawing between paints, released with the canvas.
class ClientDcCanvas : public Win32Canvas {
 public:
  ClientDcCanvas(HWND hwnd, HDC dc, RegionPtr* applied)
      : Win32Canvas(dc, hwnd, applied), m_hwnd(hwnd), m_dc(dc) {}
  ~ClientDcCanvas() override { ReleaseDC(m_hwnd, m_dc); }

 private:
  HWND m_hwnd;
  HDC m_dc;
};

std::unique_ptr<Canvas> Win32WindowHost::ClientCanvas() {
  return std::make_unique<ClientDcCanvas>(m_hwnd, GetDC(m_hwnd), &m_appliedRegion);
}

void Win32WindowHost::MouseMove(WPARAM keys, LPARAM lParam) {
  if (m_drag.Armed() && (keys & MK_LBUTTON)) {
    // Where the pointer was when the message was made: the client point is stale once the
    // window has moved under it.
    const DWORD at = GetMessagePos();
    const DragTracker::Step step = m_drag.Move(Point{GET_X_LPARAM(at), GET_Y_LPARAM(at)});
    if (step == DragTracker::Step::Started) m_window.OnDragStart();
    if (step != DragTracker::Step::None) {
      const Point p = m_drag.TopLeft();
      SetWindowPos(m_hwnd, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return;
    }
  }
  m_window.OnMouseMove(Point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)},
                       static_cast<unsigned>(keys));
}

LRESULT Win32WindowHost::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  const Point client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_PAINT: {
      if (::IsIconic(m_hwnd)) {
        PaintIcon();
        return 0;
      }
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(m_hwnd, &paint);
      Win32Canvas canvas(dc, m_hwnd, &m_appliedRegion);
      m_window.OnPaint(canvas);
      EndPaint(m_hwnd, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers the whole face
    case WM_MOUSEMOVE:
      MouseMove(wParam, lParam);
      return 0;
    case WM_LBUTTONDOWN:
      m_window.OnLButtonDown(client, static_cast<unsigned>(wParam));
      return 0;
    case WM_LBUTTONUP: {
      const bool dragCapture = m_drag.Armed();
      m_window.OnLButtonUp(client, static_cast<unsigned>(wParam));
      m_drag.Release();
      if (dragCapture && GetCapture() == m_hwnd) ReleaseCapture();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != m_hwnd) m_drag.Release();
      return 0;
    case WM_TIMER:
      m_window.OnTimer(static_cast<int>(wParam));
      return 0;
    case WM_CLOSE:
      m_window.OnCancel();
      return 0;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(m_icon);
    case kMsgPosted:
      if (m_posts) m_posts->RunOne();
      return 0;
    // Child controls, focus and keys
    case WM_KEYDOWN:
      m_window.OnKeyDown(wParam);
      return 0;
    case WM_SETFOCUS:
      m_window.OnSetFocus();
      return 0;
    case WM_KILLFOCUS:
      m_window.OnKillFocus();
      return 0;
    case WM_MEASUREITEM:
    case WM_DRAWITEM: {
      LRESULT result = 0;
      if (ReflectOwnerDraw(message, wParam, lParam, &result)) return result;
      return DefWindowProcA(m_hwnd, message, wParam, lParam);
    }
    default: {
      intptr_t result = 0;
      if (m_window.OnMessage(message, wParam, lParam, result)) return result;
      return DefWindowProcA(m_hwnd, message, wParam, lParam);
    }
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* host = static_cast<Win32WindowHost*>(
        reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    host->SetHwnd(hwnd);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
  }
  auto* host = reinterpret_cast<Win32WindowHost*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!host) return DefWindowProcA(hwnd, message, wParam, lParam);
  return host->Handle(message, wParam, lParam);
}

bool RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = nullptr;  // the window sets its cursor at every move
    wc.lpszClassName = kSkinWindowClass;
    return RegisterClassExA(&wc) != 0;
  }();
  return registered;
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
