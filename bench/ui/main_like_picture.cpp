#include "bench/ui/main_like_picture.h"

namespace zor::bench {

ui::Image MainLikePicture() {
  constexpr int kWidth = 600;
  constexpr int kHeight = 545;
  constexpr int kCorner = 40;
  const uint32_t magenta = ui::Pixel(255, 0, 255);
  ui::Image image(kWidth, kHeight, magenta);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      // Rounded corners.
      const int cx = x < kCorner ? kCorner - x : (x >= kWidth - kCorner ? x - (kWidth - kCorner - 1) : 0);
      const int cy = y < kCorner ? kCorner - y : (y >= kHeight - kCorner ? y - (kHeight - kCorner - 1) : 0);
      if (cx * cx + cy * cy > kCorner * kCorner) continue;
      // A saw-tooth top edge, as a tab row would give.
      if (y < 12 && (x / 8) % 2 == 0 && y < (x % 8)) continue;
      // Magenta holes: a grid of small windows in the middle of the face.
      if (y > 100 && y < 400 && x > 60 && x < 540 && (x / 6) % 3 == 0 && (y / 5) % 4 == 0) continue;
      image.At(x, y) = ui::Pixel(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 90);
    }
  }
  return image;
}

}  // namespace zor::bench
