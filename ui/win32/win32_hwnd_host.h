// What every Win32 host of a window answers the same way, top-level or child: timers,
// invalidation, drawing, capture, resource libraries, child controls, focus and keys, all on its
// HWND.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ui/win32/win32_canvas.h"
#include "ui/win32/win32_children.h"
#include "ui/win32/win32_resources.h"
#include "ui/window.h"

namespace zor::ui {

// The window class of every top-level skinned window, by which other programs find them.
constexpr char kSkinWindowClass[] = "ZorSkinWindow";

class Win32HwndHost : public WindowHost {
 public:
  void SetHwnd(HWND hwnd) { m_hwnd = hwnd; }

  void MoveWindow(const Rect& r, bool repaint) override {
    ::MoveWindow(m_hwnd, r.left, r.top, r.Width(), r.Height(), repaint ? TRUE : FALSE);
  }
  void Invalidate() override { InvalidateRect(m_hwnd, nullptr, FALSE); }
  std::unique_ptr<Canvas> ClientCanvas() override {
    return std::make_unique<WindowDcCanvas>(m_hwnd, &m_appliedRegion);
  }
  void SetTimer(int id, unsigned milliseconds) override {
    ::SetTimer(m_hwnd, static_cast<UINT_PTR>(id), milliseconds, nullptr);
  }
  void KillTimer(int id) override { ::KillTimer(m_hwnd, static_cast<UINT_PTR>(id)); }
  void CaptureMouse() override { SetCapture(m_hwnd); }
  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    MessageBoxA(m_hwnd, text.c_str(), caption.c_str(), MB_OK);
  }
  std::unique_ptr<ResourceLibrary> OpenLibrary(const std::string& path) override {
    return Win32ResourceLibrary::Load(path);
  }
  std::unique_ptr<ResourceLibrary> ProgramResources() override {
    return Win32ResourceLibrary::Program();
  }

  // Child controls, focus and keys
  bool CreateChild(Window& child, int id, const Rect& rect) override {
    return CreateWin32Child(*this, m_hwnd, child, id, rect);
  }
  std::unique_ptr<ComboBox> CreateComboBox(ComboSkin& skin, int id, const Rect& rect) override {
    return CreateWin32ComboBox(m_hwnd, skin, id, rect);
  }
  int ControlId() const override { return ControlIdOf(m_hwnd); }
  void PostToParent(unsigned message, uintptr_t wParam, intptr_t lParam) override {
    PostToParentOf(m_hwnd, message, wParam, lParam);
  }
  void SetFocus() override { ::SetFocus(m_hwnd); }
  bool HasFocus() const override { return GetFocus() == m_hwnd; }
  bool IsKeyDown(uintptr_t key) const override { return GetKeyState(static_cast<int>(key)) < 0; }

 protected:
  HWND m_hwnd = nullptr;
  // The shape the window holds, so that a paint setting the same one again leaves it alone.
  RegionPtr m_appliedRegion;
};

}  // namespace zor::ui
