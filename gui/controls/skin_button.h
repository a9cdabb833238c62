// One skinned push button of a window, and the hit test every skinned element uses.
#pragma once

#include <cstdint>

#include "ui/image.h"

namespace zor {

struct SKIN_BUTTON {
  int top = 0;
  int left = 0;
  int right = 0;
  int bottom = 0;
  int hover = 0;
  int disabled = 0;
  ui::Bitmap normalImage;
  ui::Bitmap overImage;
  ui::Bitmap downImage;
  ui::Bitmap normalMask;
  ui::Bitmap overMask;
  ui::Bitmap downMask;
  uint8_t latched = 0;  // 1 leaves the button out of painting and mouse handling
};

// Strict on all four edges: a point on the border is outside.
template <typename Button>
bool IsOnButton(const Button& b, int x, int y) {
  return b.left < x && x < b.right && b.top < y && y < b.bottom;
}

}  // namespace zor
