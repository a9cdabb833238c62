// How skinned controls answer the mouse, the same in every skinned window, for push buttons,
// selectors and toggles alike: the hover picture while the pointer is over a control, the pressed
// picture on a press, no click when the press became a drag, and a click only on a release over a
// control that shows its hover picture. A control that ignores the mouse (IgnoresMouse) takes no
// part in any of it.
#pragma once

#include <functional>

#include "gui/controls/skin_button.h"
#include "gui/controls/skin_radio.h"
#include "ui/canvas.h"
#include "ui/geometry.h"
#include "ui/resources.h"

namespace zor {

// Which of a control's pictures to show.
enum class Look { Normal, Over, Down };

// Puts one of a control's pictures at its place; empty for a control without pictures.
template <typename Control>
using DrawLook = std::function<void(const Control& control, Look look)>;

// When a control the pointer is on gets its hover picture: when the pointer arrives, or at every
// move (a selector's way).
enum class OverRedraw { OnArriving, EveryMove };
// When a control the pointer is off gets its normal picture: when the pointer leaves it, or at
// every move (the message box's way, which also repairs a picture something else drew over).
enum class OffRedraw { OnLeaving, EveryMove };

enum class HoverResult { None, OnButton, LeftButton };

// A move without a mouse button held. OnButton when the pointer is on a control in use,
// LeftButton when it just left one, None otherwise.
template <typename Control>
HoverResult HoverControls(Control* controls, int count, ui::Point p, OverRedraw over, OffRedraw off,
                          const DrawLook<Control>& draw) {
  HoverResult result = HoverResult::None;
  for (int i = 0; i < count; ++i) {
    Control& c = controls[i];
    if (IgnoresMouse(c)) continue;
    if (IsOnButton(c, p.x, p.y)) {
      result = HoverResult::OnButton;
      if ((!c.hover || over == OverRedraw::EveryMove) && draw) draw(c, Look::Over);
      c.hover = 1;
    } else if (c.hover || off == OffRedraw::EveryMove) {
      if (c.hover && result == HoverResult::None) result = HoverResult::LeftButton;
      if (draw) draw(c, Look::Normal);
      c.hover = 0;
    }
  }
  return result;
}

// A press: the pressed picture of each control in use under p; true when there was one (the
// window then captures the mouse).
template <typename Control>
bool PressControls(const Control* controls, int count, ui::Point p, const DrawLook<Control>& draw) {
  bool pressed = false;
  for (int i = 0; i < count; ++i) {
    const Control& c = controls[i];
    if (IgnoresMouse(c) || !IsOnButton(c, p.x, p.y)) continue;
    if (draw) draw(c, Look::Down);
    pressed = true;
  }
  return pressed;
}

// True when a release at p clicks this control: in use, under p, showing its hover picture.
template <typename Control>
bool ReleaseClicks(const Control& c, ui::Point p) {
  return !IgnoresMouse(c) && c.hover && IsOnButton(c, p.x, p.y);
}

// The press turned into a move of the window: every control in use falls back to normal, the
// pressed one among them.
template <typename Control>
void CancelPress(Control* controls, int count, const DrawLook<Control>& draw) {
  for (int i = 0; i < count; ++i) {
    Control& c = controls[i];
    if (IgnoresMouse(c)) continue;
    if (draw) draw(c, Look::Normal);
    c.hover = 0;
  }
}

// ---- Pictures and set-up ----

// A push button's pictures for a look: through its mask.
void DrawControl(ui::Canvas& dc, const SKIN_BUTTON& b, Look look);
// A selector's pictures for a look: copied as they are.
void DrawControl(ui::Canvas& dc, const SKIN_RADIO& r, Look look);

// Draws controls of one kind on dc, for the rules above.
template <typename Control>
DrawLook<Control> Painter(ui::Canvas& dc) {
  return [&dc](const Control& c, Look look) { DrawControl(dc, c, look); };
}

// Puts a control at (left, top) with the given size, the mouse state cleared.
void PlaceControl(SKIN_HITBOX& c, int left, int top, int width, int height);
// The same, the size of face; a missing picture leaves an empty hit box.
void PlaceControl(SKIN_HITBOX& c, int left, int top, const ui::Bitmap& face);

// The resource names of a push button's pictures; a null mask name makes the picture its own mask.
struct ButtonPictureNames {
  const char* normal;
  const char* normalMask;
  const char* over;
  const char* overMask;
  const char* down;
  const char* downMask;
};
void LoadPictures(SKIN_BUTTON& b, const ui::ResourceLibrary& library,
                  const ButtonPictureNames& names);

// The resource names of a selector's pictures; a null name leaves that picture out.
struct RadioPictureNames {
  const char* normal;
  const char* over;
  const char* down;
  const char* selected;
};
void LoadPictures(SKIN_RADIO& r, const ui::ResourceLibrary& library,
                  const RadioPictureNames& names);

}  // namespace zor
