// The Win32 canvas: a device context of a window (or an off-screen DC) drawn on with GDI.
#pragma once

#include <windows.h>

#include "ui/canvas.h"

namespace zor::ui {

// Turns a portable region into an HRGN: one ExtCreateRegion per batch, united with CombineRgn.
// Null when the system refuses.
HRGN CreateNativeRegion(const Region& region);

// Gives hwnd the shape of region. The HRGN is built once per region object and each call hands
// the window a copy of it. With `applied` (the region the window holds, kept alive there) a window
// that already has this very region is left alone: setting it again would only repaint it again.
void ApplyWindowRegion(HWND hwnd, const RegionPtr& region, bool redraw, RegionPtr* applied);

class Win32Canvas : public Canvas {
 public:
  Win32Canvas(HDC dc, HWND window, RegionPtr* appliedRegion)
      : m_dc(dc), m_window(window), m_applied(appliedRegion) {}

  void Copy(const Image& image, int x, int y) override;
  void MaskedCopy(const Image& image, const Image& mask, int x, int y) override;
  void Stretch(const Image& image, const Rect& from, const Rect& to) override;
  void Fill(const Rect& area, ColorRef color) override;
  void SetTextColor(ColorRef color) override;
  void SetTransparentText(bool transparent) override;
  void Text(int x, int y, const std::string& text) override;
  void SetWindowRegion(const RegionPtr& region, bool redraw) override;
  Rect ClipBox() const override;
  std::unique_ptr<Canvas> BeginOffscreen(const Rect& area, bool copyBackground) override;

  // Text, focus rectangle and pixel reads
  void TextInRect(const Rect& area, const std::string& text, unsigned format,
                  FontHandle font) override;
  void FocusRect(const Rect& area) override;
  Image ReadPixels(const Rect& area) override;

 protected:
  HDC Dc() const { return m_dc; }

 private:
  HDC m_dc;
  HWND m_window;
  RegionPtr* m_applied;
};

// A DC of a window for drawing between paints, released with the canvas.
class WindowDcCanvas : public Win32Canvas {
 public:
  WindowDcCanvas(HWND hwnd, RegionPtr* appliedRegion)
      : Win32Canvas(GetDC(hwnd), hwnd, appliedRegion), m_hwnd(hwnd) {}
  ~WindowDcCanvas() override { ReleaseDC(m_hwnd, Dc()); }

 private:
  HWND m_hwnd;
};

}  // namespace zor::ui
