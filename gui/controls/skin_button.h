// The hit box every skinned control of a window is, and the push button built on it.
#pragma once

#include <cstdint>

#include "ui/image.h"

namespace zor {

// Where a control lies in its window, and what the mouse did to it: `hover` while the pointer is
// over it; `disabled` leaves it out of mouse handling.
struct SKIN_HITBOX {
  int top = 0;
  int left = 0;
  int right = 0;
  int bottom = 0;
  int hover = 0;
  int disabled = 0;
};

// One skinned push button of a window.
struct SKIN_BUTTON : SKIN_HITBOX {
  ui::Bitmap normalImage;
  ui::Bitmap overImage;
  ui::Bitmap downImage;
  ui::Bitmap normalMask;
  ui::Bitmap overMask;
  ui::Bitmap downMask;
  uint8_t latched = 0;  // 1 leaves the button out of painting and mouse handling
};

// Strict on all four edges: a point on the border is outside.
inline bool IsOnButton(const SKIN_HITBOX& b, int x, int y) {
  return b.left < x && x < b.right && b.top < y && y < b.bottom;
}

inline bool IgnoresMouse(const SKIN_BUTTON& b) { return b.disabled || b.latched; }

}  // namespace zor
