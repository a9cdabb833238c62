#include "ui/mask.h"

namespace zor::ui {

namespace {
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
}  // namespace

KeyedImage MakeKeyMask(const Image& image, ColorRef key, int keyX, int keyY) {
  uint32_t keyPixel = PixelOf(key);
  if (key == kKeyFromPixel) keyPixel = image.Contains(keyX, keyY) ? image.At(keyX, keyY) : kBlack;
  KeyedImage result{image, Image(image.width, image.height, kBlack)};
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    if ((image.pixels[i] & 0xFFFFFF) != keyPixel) continue;
    result.mask.pixels[i] = kWhite;
    result.image.pixels[i] = kBlack;
  }
  return result;
}

Image CropPixels(const Image& image, const Rect& area) {
  Image part(area.Width(), area.Height(), kBlack);
  for (int y = 0; y < part.height; ++y)
    for (int x = 0; x < part.width; ++x)
      if (image.Contains(area.left + x, area.top + y))
        part.At(x, y) = image.At(area.left + x, area.top + y);
  return part;
}

void FocusRectPixels(Image& image, const Rect& area) {
  if (area.Empty()) return;
  auto invert = [&image](int x, int y) {
    if (image.Contains(x, y)) image.At(x, y) ^= kWhite;
  };
  // Each border pixel once, alternating along the frame, as the system's dotted pen does.
  for (int x = area.left; x < area.right; x += 2) {
    invert(x, area.top);
    if (area.bottom - 1 != area.top) invert(x, area.bottom - 1);
  }
  for (int y = area.top + 2; y < area.bottom - 1; y += 2) {
    invert(area.left, y);
    if (area.right - 1 != area.left) invert(area.right - 1, y);
  }
}

}  // namespace zor::ui
