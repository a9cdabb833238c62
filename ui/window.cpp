#include "ui/window.h"

#include <algorithm>

namespace zor::ui {

bool HandleDialogKey(Window& window, uintptr_t key) {
  if (key == kKeyReturn) {
    window.OnOK();
    return true;
  }
  if (key == kKeyEscape) {
    window.OnCancel();
    return true;
  }
  return false;
}

Point CentredPosition(const Rect& window, const Rect* owner, const Rect& workArea) {
  const Rect& over = owner ? *owner : workArea;
  Point p{over.left + (over.Width() - window.Width()) / 2,
          over.top + (over.Height() - window.Height()) / 2};
  // Keep it on the work area; a window larger than it is kept at its top-left corner.
  p.x = std::min(p.x, workArea.right - window.Width());
  p.y = std::min(p.y, workArea.bottom - window.Height());
  p.x = std::max(p.x, workArea.left);
  p.y = std::max(p.y, workArea.top);
  return p;
}

}  // namespace zor::ui
