// The one window procedure, class registration and message switch of every Win32 host of a
// portable Window, top-level or child. A host derives from Win32Dispatch<Host> and answers
// HandleOwn, which sees each message first (true when it took it, with the result set), and
// Detached, called once the window is gone.
#pragma once

#include <windows.h>
#include <windowsx.h>

#include "ui/drag_tracker.h"
#include "ui/win32/win32_hwnd_host.h"

namespace zor::ui {

template <typename Host>
class Win32Dispatch : public Win32HwndHost {
 public:
  explicit Win32Dispatch(Window& window)
      : m_window(window), m_drag(GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)) {}

  // Registers the window class of this kind of host, once; its windows are created with the
  // host as their creation parameter.
  static bool Register(const char* className, HCURSOR cursor) {
    static const bool registered = [&] {
      WNDCLASSEXA wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hCursor = cursor;
      wc.lpszClassName = className;
      return RegisterClassExA(&wc) != 0;
    }();
    return registered;
  }

 protected:
  Window& m_window;
  DragTracker m_drag;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* host = static_cast<Host*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      host->SetHwnd(hwnd);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
    }
    auto* host = reinterpret_cast<Host*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!host) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      Host::Detached(host);
      return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return host->Dispatch(message, wParam, lParam);
  }

  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT own = 0;
    if (static_cast<Host*>(this)->HandleOwn(message, wParam, lParam, own)) return own;
    const Point client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
      case WM_PAINT: {
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
        MouseMove(wParam, client);
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
        m_window.OnCaptureLost();
        return 0;
      case WM_TIMER:
        m_window.OnTimer(static_cast<int>(wParam));
        return 0;
      case WM_GETDLGCODE:
        return static_cast<LRESULT>(m_window.OnGetDlgCode());
      case WM_KEYDOWN:
        m_window.OnKeyDown(wParam);
        return 0;
      case WM_SETFOCUS:
        m_window.OnSetFocus();
        return 0;
      case WM_KILLFOCUS:
        m_window.OnKillFocus();
        return 0;
      case WM_DESTROY:
        m_window.OnDestroy();
        return 0;
      default: {
        intptr_t result = 0;
        if (m_window.OnMessage(message, wParam, lParam, result)) return result;
        return DefWindowProcA(m_hwnd, message, wParam, lParam);
      }
    }
  }

  // A press handed to BeginDrag moves the window once the pointer travels far enough with the
  // button held; every other move is the window's.
  void MouseMove(WPARAM keys, Point client) {
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
    m_window.OnMouseMove(client, static_cast<unsigned>(keys));
  }
};

}  // namespace zor::ui
