// How skinned push buttons answer the mouse, for every skinned window: the hover picture while
// the pointer is over a button, the pressed picture on a press, no click when the press became a
// drag, and a click only on a release over a button that shows its hover picture.
#pragma once

#include <functional>

#include "gui/controls/skin_button.h"
#include "ui/geometry.h"

namespace zor {

// Puts one of a button's pictures at its place.
using DrawButton =
    std::function<void(const SKIN_BUTTON& button, const ui::Bitmap& image, const ui::Bitmap& mask)>;

// When a button the pointer is off gets its normal picture: when the pointer leaves it, or at
// every move (the message box's way, which also repairs a picture something else drew over).
enum class OffRedraw { OnLeaving, EveryMove };

enum class HoverResult { None, OnButton, LeftButton };

// A move without a mouse button held. OnButton when the pointer is on a button in use,
// LeftButton when it just left one, None otherwise.
HoverResult HoverButtons(SKIN_BUTTON* buttons, int count, ui::Point p, OffRedraw redraw,
                         const DrawButton& draw);

// A press: the pressed picture of each button in use under p; true when there was one (the
// window then captures the mouse).
bool PressButtons(const SKIN_BUTTON* buttons, int count, ui::Point p, const DrawButton& draw);

// True when a release at p clicks this button: in use, under p, showing its hover picture.
bool ReleaseClicks(const SKIN_BUTTON& button, ui::Point p);

// The press turned into a move of the window: every button in use falls back to normal, the
// pressed one among them.
void CancelPress(SKIN_BUTTON* buttons, int count, const DrawButton& draw);

}  // namespace zor
