#include "ui/image.h"

#include <algorithm>

namespace zor::ui {

namespace {

// The part of a w x h block at (x, y) that lies inside dst, in dst coordinates.
Rect ClipTo(const Image& dst, int x, int y, int w, int h) {
  Rect r{std::max(x, 0), std::max(y, 0), std::min(x + w, dst.width), std::min(y + h, dst.height)};
  return r;
}

}  // namespace

void CopyPixels(Image& dst, const Image& src, int x, int y) {
  const Rect r = ClipTo(dst, x, y, src.width, src.height);
  for (int dy = r.top; dy < r.bottom; ++dy)
    for (int dx = r.left; dx < r.right; ++dx) dst.At(dx, dy) = src.At(dx - x, dy - y);
}

void MaskedCopyPixels(Image& dst, const Image& image, const Image& mask, int x, int y) {
  const Rect r = ClipTo(dst, x, y, image.width, image.height);
  for (int dy = r.top; dy < r.bottom; ++dy) {
    for (int dx = r.left; dx < r.right; ++dx) {
      const int sx = dx - x;
      const int sy = dy - y;
      // Only the mask's own area is ANDed; a smaller mask leaves the rest of the background.
      const uint32_t m = mask.Contains(sx, sy) ? mask.At(sx, sy) : 0xFFFFFFu;
      dst.At(dx, dy) = ((dst.At(dx, dy) & m) | image.At(sx, sy)) & 0x00FFFFFFu;
    }
  }
}

void StretchPixels(Image& dst, const Rect& to, const Image& src, const Rect& from) {
  if (to.Empty() || from.Empty()) return;
  const Rect r = ClipTo(dst, to.left, to.top, to.Width(), to.Height());
  for (int dy = r.top; dy < r.bottom; ++dy) {
    const int sy = from.top + static_cast<int>(static_cast<long long>(dy - to.top) *
                                               from.Height() / to.Height());
    for (int dx = r.left; dx < r.right; ++dx) {
      const int sx = from.left + static_cast<int>(static_cast<long long>(dx - to.left) *
                                                  from.Width() / to.Width());
      if (src.Contains(sx, sy)) dst.At(dx, dy) = src.At(sx, sy);
    }
  }
}

void FillPixels(Image& dst, const Rect& area, uint32_t pixel) {
  const Rect r = ClipTo(dst, area.left, area.top, area.Width(), area.Height());
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) dst.At(x, y) = pixel;
}

}  // namespace zor::ui
