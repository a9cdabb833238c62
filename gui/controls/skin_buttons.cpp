#include "gui/controls/skin_buttons.h"

namespace zor {

namespace {
bool InUse(const SKIN_BUTTON& b) { return !b.disabled && !b.latched; }
}  // namespace

HoverResult HoverButtons(SKIN_BUTTON* buttons, int count, ui::Point p, OffRedraw redraw,
                         const DrawButton& draw) {
  HoverResult result = HoverResult::None;
  for (int i = 0; i < count; ++i) {
    SKIN_BUTTON& b = buttons[i];
    if (!InUse(b)) continue;
    if (IsOnButton(b, p.x, p.y)) {
      result = HoverResult::OnButton;
      if (!b.hover) {
        draw(b, b.overImage, b.overMask);
        b.hover = 1;
      }
    } else if (b.hover || redraw == OffRedraw::EveryMove) {
      if (b.hover && result == HoverResult::None) result = HoverResult::LeftButton;
      draw(b, b.normalImage, b.normalMask);
      b.hover = 0;
    }
  }
  return result;
}

bool PressButtons(const SKIN_BUTTON* buttons, int count, ui::Point p, const DrawButton& draw) {
  bool pressed = false;
  for (int i = 0; i < count; ++i) {
    const SKIN_BUTTON& b = buttons[i];
    if (!InUse(b) || !IsOnButton(b, p.x, p.y)) continue;
    draw(b, b.downImage, b.downMask);
    pressed = true;
  }
  return pressed;
}

bool ReleaseClicks(const SKIN_BUTTON& b, ui::Point p) {
  return InUse(b) && b.hover && IsOnButton(b, p.x, p.y);
}

void CancelPress(SKIN_BUTTON* buttons, int count, const DrawButton& draw) {
  for (int i = 0; i < count; ++i) {
    SKIN_BUTTON& b = buttons[i];
    if (!InUse(b)) continue;
    draw(b, b.normalImage, b.normalMask);
    b.hover = 0;
  }
}

}  // namespace zor
