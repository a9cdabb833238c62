// The level buttons and option toggles of the skinned windows.
#pragma once

#include <cstdint>

#include "ui/image.h"

namespace zor {

// One level button: exactly one of a group is selected, and the selected one ignores the mouse.
struct SKIN_RADIO {
  int top = 0;
  int left = 0;
  int right = 0;
  int bottom = 0;
  int hover = 0;
  int disabled = 0;
  ui::Bitmap normalImage;
  ui::Bitmap overImage;
  ui::Bitmap downImage;
  ui::Bitmap selectedImage;
  uint8_t selected = 0;
};

// One on/off option; a locked toggle (not available here) is drawn but ignores the mouse.
struct SKIN_TOGGLE {
  int top = 0;
  int left = 0;
  int right = 0;
  int bottom = 0;
  int hover = 0;
  int disabled = 0;
  uint8_t on = 0;
  uint8_t locked = 0;
};

// Strict on all four edges, as for the push buttons.
template <typename T>
bool IsOnElement(const T& e, int x, int y) {
  return e.left < x && x < e.right && e.top < y && y < e.bottom;
}

}  // namespace zor
