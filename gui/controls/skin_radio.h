// The level buttons and option toggles of the skinned windows.
#pragma once

#include <cstdint>

#include "gui/controls/skin_button.h"
#include "ui/image.h"

namespace zor {

// One selector button (a level, a display mode, an option of the main window): `selected` means it
// ignores the mouse, being the chosen one of its group or unavailable.
struct SKIN_RADIO : SKIN_HITBOX {
  ui::Bitmap normalImage;
  ui::Bitmap overImage;
  ui::Bitmap downImage;
  ui::Bitmap selectedImage;
  uint8_t selected = 0;
};

// One on/off option; a locked toggle (not available here) is drawn but ignores the mouse.
struct SKIN_TOGGLE : SKIN_HITBOX {
  uint8_t on = 0;
  uint8_t locked = 0;
};

inline bool IgnoresMouse(const SKIN_RADIO& r) { return r.disabled || r.selected; }
inline bool IgnoresMouse(const SKIN_TOGGLE& t) { return t.disabled || t.locked; }

}  // namespace zor
