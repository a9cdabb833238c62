#include "ui/child_control.h"

#include "ui/window.h"

namespace zor::ui {

DialogKey RouteDialogKey(uintptr_t key, bool shiftDown, unsigned focusedCode) {
  if (focusedCode & kDlgCodeWantAllKeys) return DialogKey::Deliver;
  if (key == kKeyTab) {
    if (focusedCode & kDlgCodeWantTab) return DialogKey::Deliver;
    return shiftDown ? DialogKey::FocusPrevious : DialogKey::FocusNext;
  }
  if (key == kKeyReturn) return DialogKey::Ok;
  if (key == kKeyEscape) return DialogKey::Cancel;
  return DialogKey::Deliver;
}

}  // namespace zor::ui
