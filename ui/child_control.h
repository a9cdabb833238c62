// Child controls of a skinned window: the key codes and dialog-key routing both hosts share, and
// the system combo box a window skins. Custom child windows (the slider) are ordinary Windows
// made children with WindowHost::CreateChild. See ui/README.md for why it is done this way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/canvas.h"
#include "ui/geometry.h"

namespace zor::ui {

// Virtual-key codes (the platform's values).
constexpr uintptr_t kKeyTab = 0x09;
constexpr uintptr_t kKeyShift = 0x10;
constexpr uintptr_t kKeyPrior = 0x21;  // Page Up
constexpr uintptr_t kKeyNext = 0x22;   // Page Down
constexpr uintptr_t kKeyEnd = 0x23;
constexpr uintptr_t kKeyHome = 0x24;
constexpr uintptr_t kKeyLeft = 0x25;
constexpr uintptr_t kKeyUp = 0x26;
constexpr uintptr_t kKeyRight = 0x27;
constexpr uintptr_t kKeyDown = 0x28;

// Answers to "which keys do you want" (WM_GETDLGCODE), the platform's values.
constexpr unsigned kDlgCodeWantArrows = 0x0001;
constexpr unsigned kDlgCodeWantTab = 0x0002;
constexpr unsigned kDlgCodeWantAllKeys = 0x0004;

// What a dialog does with a key press.
enum class DialogKey { Deliver, FocusNext, FocusPrevious, Ok, Cancel };

// focusedCode is what the focused child answered (0 when the window itself has the focus). A
// child that wants all keys gets them; otherwise Tab moves the focus and Enter and Escape act on
// the dialog.
DialogKey RouteDialogKey(uintptr_t key, bool shiftDown, unsigned focusedCode);

// The next stop of the focus cycle: -1 is the window itself, 0..count-1 its tab stops in order.
// reachable(i) says whether stop i can take the focus now.
template <typename Reachable>
int NextFocusStop(int current, int count, bool backwards, Reachable reachable) {
  const int cycle = count + 1;  // the stops and the window itself
  int at = current + 1;         // position in the cycle, the window being 0
  for (int step = 0; step < cycle; ++step) {
    at = backwards ? (at + cycle - 1) % cycle : (at + 1) % cycle;
    if (at == 0 || reachable(at - 1)) return at - 1;
  }
  return -1;
}

// Whether a child at `child` (parent client pixels) can be seen in a client area of `client`.
inline bool IsInside(const Rect& child, const Rect& client) {
  return child.right > client.left && child.left < client.right && child.bottom > client.top &&
         child.top < client.bottom;
}

// Owner-draw actions and states (the platform's values).
constexpr unsigned kOdaDrawEntire = 0x0001;
constexpr unsigned kOdaSelect = 0x0002;
constexpr unsigned kOdaFocus = 0x0004;
constexpr unsigned kOdsSelected = 0x0001;
constexpr unsigned kOdsFocus = 0x0010;

// The dropped list of a system combo box, as the combo's skin sees it.
class ListBox {
 public:
  virtual ~ListBox() = default;
  virtual bool IsLive() const = 0;  // the list window still exists
  virtual Rect ClientRect() const = 0;
  virtual int ItemCount() const = 0;
  virtual Rect ItemRect(int index) const = 0;
  virtual std::string ItemText(int index) const = 0;
  virtual FontHandle Font() const = 0;
  // A canvas on the list window itself (its window DC).
  virtual std::unique_ptr<Canvas> WindowCanvas() = 0;
};

// One owner-draw request of a combo's list item.
struct DrawItem {
  int itemId = -1;
  unsigned action = 0;
  unsigned state = 0;
  Canvas* canvas = nullptr;
  Rect rect;
};

// A system drop-down list combo box (owner-drawn, with strings). The system keeps its keyboard and
// drop-down behaviour; the skin paints its face, its items and the border of its list.
class ComboBox {
 public:
  virtual ~ComboBox() = default;
  virtual void AddString(const std::string& text) = 0;
  virtual void SetCurSel(int index) = 0;
  virtual int GetCurSel() const = 0;  // -1 when nothing is selected
  virtual int GetCount() const = 0;
  virtual std::string GetItemText(int index) const = 0;
  virtual std::string WindowText() const = 0;  // the selected entry's text
  virtual Rect ClientRect() const = 0;
  virtual bool HasFocus() const = 0;
  virtual void Invalidate(bool erase) = 0;
  // In the parent's client pixels; the height includes the dropped list.
  virtual void MoveWindow(const Rect& rect, bool repaint) = 0;
};

// What the host asks of a combo's skin.
class ComboSkin {
 public:
  virtual ~ComboSkin() = default;
  virtual void OnPaintFace(Canvas& canvas) = 0;
  virtual void OnDrawItem(const DrawItem& item) = 0;
  // The list asked for its colours; list is that list window (never the combo itself).
  virtual void OnListColor(std::unique_ptr<ListBox> list) = 0;
  // The combo's window is going away.
  virtual void OnDestroy() = 0;
};

}  // namespace zor::ui
