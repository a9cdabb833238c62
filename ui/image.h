// Pixel data of a bitmap, held portably so that region building and masked copies are plain
// functions over memory. Pixels are 0x00RRGGBB, rows top-down, no padding.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/geometry.h"

namespace zor::ui {

// A colour as the platform's COLORREF stores it: 0x00BBGGRR.
using ColorRef = uint32_t;

constexpr uint8_t RedOf(ColorRef c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t GreenOf(ColorRef c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t BlueOf(ColorRef c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }
constexpr ColorRef Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<ColorRef>(r) | (static_cast<ColorRef>(g) << 8) |
         (static_cast<ColorRef>(b) << 16);
}

// A pixel of an Image from red, green and blue.
constexpr uint32_t Pixel(uint8_t r, uint8_t g, uint8_t b) {
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}
constexpr uint32_t PixelOf(ColorRef c) { return Pixel(RedOf(c), GreenOf(c), BlueOf(c)); }

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height

  Image() = default;
  Image(int w, int h, uint32_t fill = 0)
      : width(w < 0 ? 0 : w),
        height(h < 0 ? 0 : h),
        pixels(static_cast<size_t>(width) * static_cast<size_t>(height), fill) {}

  uint32_t At(int x, int y) const { return pixels[Index(x, y)]; }
  uint32_t& At(int x, int y) { return pixels[Index(x, y)]; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }

 private:
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
  }
};

// A loaded bitmap; null stands for a bitmap that could not be loaded. Shared, because a button
// uses one picture as image and as mask, and "the same bitmap" is a question of identity.
using Bitmap = std::shared_ptr<const Image>;

// Pure pixel operations behind every canvas. All clip to the destination.
// dst := src at (x, y).
void CopyPixels(Image& dst, const Image& src, int x, int y);
// dst := (dst AND mask) OR image at (x, y), over the image's size: where the mask is white and the
// image black the destination shows through.
void MaskedCopyPixels(Image& dst, const Image& image, const Image& mask, int x, int y);
// dst's rectangle `to` := src's rectangle `from`, nearest pixel.
void StretchPixels(Image& dst, const Rect& to, const Image& src, const Rect& from);
void FillPixels(Image& dst, const Rect& area, uint32_t pixel);

}  // namespace zor::ui
