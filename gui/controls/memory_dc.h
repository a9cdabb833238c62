// An off-screen surface for one paint: everything drawn on it reaches the target in one copy when
// the object is destroyed, so a paint never shows half-drawn.
#pragma once

#include <memory>

#include "ui/canvas.h"

namespace zor {

class CMemoryDC : public ui::Canvas {
 public:
  // area: the part of the target to cover, or null for the target's clip box. copyBackground
  // starts from the target's present picture instead of its background colour.
  CMemoryDC(ui::Canvas& target, const ui::Rect* area = nullptr, bool copyBackground = false);
  ~CMemoryDC() override = default;
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;

  void Copy(const ui::Image& image, int x, int y) override { m_bitmap->Copy(image, x, y); }
  void MaskedCopy(const ui::Image& image, const ui::Image& mask, int x, int y) override {
    m_bitmap->MaskedCopy(image, mask, x, y);
  }
  void Stretch(const ui::Image& image, const ui::Rect& from, const ui::Rect& to) override {
    m_bitmap->Stretch(image, from, to);
  }
  void Fill(const ui::Rect& area, ui::ColorRef color) override { m_bitmap->Fill(area, color); }
  void SetTextColor(ui::ColorRef color) override { m_bitmap->SetTextColor(color); }
  void SetTransparentText(bool transparent) override { m_bitmap->SetTransparentText(transparent); }
  void Text(int x, int y, const std::string& text) override { m_bitmap->Text(x, y, text); }
  // The shape belongs to the window, not to the picture: it goes to the target at once.
  void SetWindowRegion(const ui::RegionPtr& region, bool redraw) override {
    m_pDC->SetWindowRegion(region, redraw);
  }
  ui::Rect ClipBox() const override { return m_rect; }
  std::unique_ptr<ui::Canvas> BeginOffscreen(const ui::Rect& area, bool copyBackground) override {
    return m_bitmap->BeginOffscreen(area, copyBackground);
  }
  void TextInRect(const ui::Rect& area, const std::string& text, unsigned format,
                  ui::FontHandle font) override {
    m_bitmap->TextInRect(area, text, format, font);
  }
  void FocusRect(const ui::Rect& area) override { m_bitmap->FocusRect(area); }
  ui::Image ReadPixels(const ui::Rect& area) override { return m_bitmap->ReadPixels(area); }

 private:
  ui::Canvas* m_pDC;
  ui::Rect m_rect;
  std::unique_ptr<ui::Canvas> m_bitmap;  // delivers to m_pDC when released
};

}  // namespace zor
