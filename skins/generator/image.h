// Pixel images as the resource compiler takes them, and the files they are written to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zor::skins {

// 0xRRGGBB; the skins' transparent colour is exact magenta.
constexpr uint32_t kMagenta = 0xFF00FF;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // row-major, top row first

  Image() = default;
  Image(int w, int h, uint32_t fill = 0)
      : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
  uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  uint32_t& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  Image Crop(int x, int y, int w, int h) const;
};

// 24-bit bottom-up BMP, the form LoadBitmap turns into a screen bitmap on every Windows version.
bool WriteBmp(const std::string& path, const Image& image);

// A real .ico: one 32-bit entry (with its AND mask) per image, largest first.
bool WriteIco(const std::string& path, const std::vector<Image>& sizes,
              const std::vector<std::vector<uint8_t>>& alphas);

}  // namespace zor::skins
