#include "ui/win32/win32_canvas.h"

#include <vector>

namespace zor::ui {

namespace {

BITMAPINFO TopDownInfo(const Image& image) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // rows top-down, as Image holds them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

void Blit(HDC dc, int x, int y, int w, int h, const Image& image, int sx, int sy, int sw, int sh,
          DWORD rop) {
  if (image.width <= 0 || image.height <= 0) return;
  const BITMAPINFO info = TopDownInfo(image);
  StretchDIBits(dc, x, y, w, h, sx, sy, sw, sh, image.pixels.data(), &info, DIB_RGB_COLORS, rop);
}

// A copy of the HRGN cached for a region, owned by whoever receives it.
HRGN CopyOf(HRGN source) {
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  if (copy && CombineRgn(copy, source, nullptr, RGN_COPY) == ERROR) {
    DeleteObject(copy);
    return nullptr;
  }
  return copy;
}

// Off-screen drawing for one area of a target DC, copied back in one step when destroyed.
class OffscreenCanvas : public Win32Canvas {
 public:
  // Takes over memory and bitmap, both created for target.
  OffscreenCanvas(HDC target, HWND window, RegionPtr* applied, HDC memory, HBITMAP bitmap,
                  const Rect& area, bool copyBackground)
      : Win32Canvas(memory, window, applied),
        m_target(target),
        m_memory(memory),
        m_area(area),
        m_bitmap(bitmap) {
    m_old = SelectObject(memory, m_bitmap);
    SetWindowOrgEx(memory, area.left, area.top, nullptr);
    if (copyBackground) {
      BitBlt(memory, area.left, area.top, area.Width(), area.Height(), target, area.left,
             area.top, SRCCOPY);
    } else {
      HBRUSH brush = CreateSolidBrush(GetBkColor(target));
      const RECT r{area.left, area.top, area.right, area.bottom};
      FillRect(memory, &r, brush);
      DeleteObject(brush);
    }
  }
  ~OffscreenCanvas() override {
    BitBlt(m_target, m_area.left, m_area.top, m_area.Width(), m_area.Height(), m_memory,
           m_area.left, m_area.top, SRCCOPY);
    SelectObject(m_memory, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_memory);
  }

 private:
  HDC m_target;
  HDC m_memory;
  Rect m_area;
  HBITMAP m_bitmap;
  HGDIOBJ m_old = nullptr;
};

}  // namespace

HRGN CreateNativeRegion(const Region& region) {
  HRGN result = nullptr;
  std::vector<unsigned char> buffer;
  for (const RegionBatch& batch : region.Batches()) {
    const size_t count = batch.rects.size();
    buffer.assign(sizeof(RGNDATAHEADER) + count * sizeof(RECT), 0);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(count);
    data->rdh.nRgnSize = 0;
    data->rdh.rcBound = RECT{batch.bounds.left, batch.bounds.top, batch.bounds.right,
                             batch.bounds.bottom};
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (size_t i = 0; i < count; ++i) {
      const Rect& r = batch.rects[i];
      rects[i] = RECT{r.left, r.top, r.right, r.bottom};
    }
    HRGN part = ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
    if (!part) {
      if (result) DeleteObject(result);
      return nullptr;
    }
    if (!result) {
      result = part;
    } else {
      CombineRgn(result, result, part, RGN_OR);
      DeleteObject(part);
    }
  }
  return result;
}

void ApplyWindowRegion(HWND hwnd, const RegionPtr& region, bool redraw, RegionPtr* applied) {
  if (!region) return;
  if (applied && *applied == region) return;
  if (!region->NativeCache()) {
    HRGN built = CreateNativeRegion(*region);
    if (!built) return;
    region->SetNativeCache(std::shared_ptr<void>(built, [](void* h) {
      DeleteObject(static_cast<HRGN>(h));
    }));
  }
  HRGN copy = CopyOf(static_cast<HRGN>(region->NativeCache().get()));
  if (!copy) return;
  // The window owns the copy from here on.
  if (!SetWindowRgn(hwnd, copy, redraw ? TRUE : FALSE)) {
    DeleteObject(copy);
    return;
  }
  if (applied) *applied = region;
}

void Win32Canvas::Copy(const Image& image, int x, int y) {
  Blit(m_dc, x, y, image.width, image.height, image, 0, 0, image.width, image.height, SRCCOPY);
}

void Win32Canvas::MaskedCopy(const Image& image, const Image& mask, int x, int y) {
  const int w = image.width;
  const int h = image.height;
  if (w <= 0 || h <= 0) return;
  HDC memory = CreateCompatibleDC(m_dc);
  HBITMAP bitmap = CreateCompatibleBitmap(m_dc, w, h);
  if (!memory || !bitmap) {
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    return;
  }
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, m_dc, x, y, SRCCOPY);
  Blit(memory, 0, 0, mask.width, mask.height, mask, 0, 0, mask.width, mask.height, SRCAND);
  Blit(memory, 0, 0, w, h, image, 0, 0, w, h, SRCPAINT);
  BitBlt(m_dc, x, y, w, h, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

void Win32Canvas::Stretch(const Image& image, const Rect& from, const Rect& to) {
  SetStretchBltMode(m_dc, COLORONCOLOR);
  Blit(m_dc, to.left, to.top, to.Width(), to.Height(), image, from.left, from.top, from.Width(),
       from.Height(), SRCCOPY);
}

void Win32Canvas::Fill(const Rect& area, ColorRef color) {
  HBRUSH brush = CreateSolidBrush(color);
  const RECT r{area.left, area.top, area.right, area.bottom};
  FillRect(m_dc, &r, brush);
  DeleteObject(brush);
}

void Win32Canvas::SetTextColor(ColorRef color) { ::SetTextColor(m_dc, color); }

void Win32Canvas::SetTransparentText(bool transparent) {
  SetBkMode(m_dc, transparent ? TRANSPARENT : OPAQUE);
}

void Win32Canvas::Text(int x, int y, const std::string& text) {
  TextOutA(m_dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void Win32Canvas::SetWindowRegion(const RegionPtr& region, bool redraw) {
  ApplyWindowRegion(m_window, region, redraw, m_applied);
}

Rect Win32Canvas::ClipBox() const {
  RECT r{};
  GetClipBox(m_dc, &r);
  return Rect{r.left, r.top, r.right, r.bottom};
}

std::unique_ptr<Canvas> Win32Canvas::BeginOffscreen(const Rect& area, bool copyBackground) {
  // Without a DC or a bitmap of the area's size (out of GDI memory, an empty area), the drawing
  // goes straight to the target rather than into a DC's 1x1 default bitmap copied back over it.
  HDC memory = CreateCompatibleDC(m_dc);
  HBITMAP bitmap = memory ? CreateCompatibleBitmap(m_dc, area.Width(), area.Height()) : nullptr;
  if (!bitmap) {
    if (memory) DeleteDC(memory);
    return std::make_unique<Win32Canvas>(m_dc, m_window, m_applied);
  }
  return std::make_unique<OffscreenCanvas>(m_dc, m_window, m_applied, memory, bitmap, area,
                                           copyBackground);
}

// ---- Text, focus rectangle and pixel reads ----

void Win32Canvas::TextInRect(const Rect& area, const std::string& text, unsigned format,
                             FontHandle font) {
  HGDIOBJ old = font ? SelectObject(m_dc, reinterpret_cast<HFONT>(font)) : nullptr;
  RECT r{area.left, area.top, area.right, area.bottom};
  DrawTextA(m_dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  if (old) SelectObject(m_dc, old);
}

void Win32Canvas::FocusRect(const Rect& area) {
  const RECT r{area.left, area.top, area.right, area.bottom};
  DrawFocusRect(m_dc, &r);
}

Image Win32Canvas::ReadPixels(const Rect& area) {
  Image out(area.Width(), area.Height());
  if (out.width == 0 || out.height == 0) return out;
  const BITMAPINFO info = TopDownInfo(out);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(m_dc);
  if (dib && memory && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, out.width, out.height, m_dc, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* source = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = source[i] & 0xFFFFFF;
    SelectObject(memory, old);
  }
  if (memory) DeleteDC(memory);
  if (dib) DeleteObject(dib);
  return out;
}

}  // namespace zor::ui
