#include "ui/win32/win32_children.h"

#include <windowsx.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ui/win32/win32_canvas.h"
#include "ui/win32/win32_dispatch.h"
#include "ui/win32/win32_resources.h"

namespace zor::ui {

namespace {

constexpr char kChildClass[] = "ZorSkinChild";
constexpr char kComboProperty[] = "ZorSkinCombo";
// The face of the dialog's lists is 21 pixels high (15 plus the system's frame), items 17.
constexpr UINT kFaceFieldHeight = 15;
constexpr UINT kItemHeight = 17;

Rect RectInParent(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return Rect{r.left, r.top, r.right, r.bottom};
}

// ---- Custom child windows ----

class Win32ChildHost : public Win32Dispatch<Win32ChildHost> {
 public:
  Win32ChildHost(WindowHost& parent, Window& window) : Win32Dispatch(window), m_parent(parent) {}

  // A child has no messages of its own beyond the shared ones.
  bool HandleOwn(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
  // The host was made for the window and goes with it.
  static void Detached(Win32ChildHost* host) { delete host; }

  int DoModal(Window& dialog) override { return m_parent.DoModal(dialog); }
  Rect WindowRect() const override { return RectInParent(m_hwnd); }
  void ReleaseMouse() override {
    if (GetCapture() == m_hwnd) ReleaseCapture();
  }
  void SetCursor(Cursor cursor) override { m_parent.SetCursor(cursor); }
  void BeginDrag(Point) override {}  // a child does not move its parent
  void EndModal(int) override {}
  void ExitProcess(int status) override { std::exit(status); }
  unsigned SystemLanguage() const override { return m_parent.SystemLanguage(); }

 private:
  WindowHost& m_parent;
};

bool RegisterChildClass() {
  return Win32ChildHost::Register(kChildClass, LoadCursor(nullptr, IDC_ARROW));
}

// Children are painted by themselves; the parent's paint must leave them alone.
void ClipChildren(HWND parent) {
  const LONG_PTR style = GetWindowLongPtrA(parent, GWL_STYLE);
  if (!(style & WS_CLIPCHILDREN)) SetWindowLongPtrA(parent, GWL_STYLE, style | WS_CLIPCHILDREN);
}

// ---- Skinned system combo boxes ----

class Win32ListBox : public ListBox {
 public:
  explicit Win32ListBox(HWND hwnd) : m_hwnd(hwnd) {}
  bool IsLive() const override { return IsWindow(m_hwnd) != FALSE; }
  Rect ClientRect() const override {
    RECT r{};
    GetClientRect(m_hwnd, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
  }
  int ItemCount() const override {
    return static_cast<int>(SendMessageA(m_hwnd, LB_GETCOUNT, 0, 0));
  }
  Rect ItemRect(int index) const override {
    RECT r{};
    SendMessageA(m_hwnd, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return Rect{r.left, r.top, r.right, r.bottom};
  }
  std::string ItemText(int index) const override {
    const LRESULT length = SendMessageA(m_hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(m_hwnd, LB_GETTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
  }
  FontHandle Font() const override {
    return static_cast<FontHandle>(SendMessageA(m_hwnd, WM_GETFONT, 0, 0));
  }
  std::unique_ptr<Canvas> WindowCanvas() override {
    return std::make_unique<WindowDcCanvas>(m_hwnd, nullptr);
  }

 private:
  HWND m_hwnd;
};

class Win32ComboBox : public ComboBox {
 public:
  Win32ComboBox(HWND hwnd, ComboSkin& skin) : m_hwnd(hwnd), m_skin(skin) {
    SetPropA(hwnd, kComboProperty, this);
    m_oldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
  }
  // The window goes with its parent; a combo object outliving it only lets go of it.
  ~Win32ComboBox() override {
    if (!m_hwnd) return;
    SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    RemovePropA(m_hwnd, kComboProperty);
  }

  // What the skin reads after the window is gone (the dialog's results) is kept here.
  void AddString(const std::string& text) override {
    m_items.push_back(text);
    if (m_hwnd) SendMessageA(m_hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void SetCurSel(int index) override {
    m_selected = index;
    if (m_hwnd) SendMessageA(m_hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  int GetCurSel() const override {
    return m_hwnd ? static_cast<int>(SendMessageA(m_hwnd, CB_GETCURSEL, 0, 0)) : m_selected;
  }
  int GetCount() const override { return static_cast<int>(m_items.size()); }
  std::string GetItemText(int index) const override {
    if (index < 0 || index >= GetCount()) return std::string();
    return m_items[static_cast<size_t>(index)];
  }
  std::string WindowText() const override {
    if (!m_hwnd) return GetItemText(m_selected);
    char text[256] = {};
    GetWindowTextA(m_hwnd, text, sizeof text);
    return text;
  }
  Rect ClientRect() const override {
    RECT r{};
    if (m_hwnd) GetClientRect(m_hwnd, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
  }
  bool HasFocus() const override { return m_hwnd && GetFocus() == m_hwnd; }
  void Invalidate(bool erase) override {
    if (m_hwnd) InvalidateRect(m_hwnd, nullptr, erase ? TRUE : FALSE);
  }
  void MoveWindow(const Rect& r, bool repaint) override {
    if (m_hwnd) ::MoveWindow(m_hwnd, r.left, r.top, r.Width(), r.Height(), repaint ? TRUE : FALSE);
  }

  void DrawItem(const DRAWITEMSTRUCT& draw) {
    Win32Canvas canvas(draw.hDC, m_hwnd, nullptr);
    ui::DrawItem item;
    item.itemId = draw.itemID == static_cast<UINT>(-1) ? -1 : static_cast<int>(draw.itemID);
    item.action = draw.itemAction;
    item.state = draw.itemState;
    item.canvas = &canvas;
    item.rect = Rect{draw.rcItem.left, draw.rcItem.top, draw.rcItem.right, draw.rcItem.bottom};
    m_skin.OnDrawItem(item);
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<Win32ComboBox*>(GetPropA(hwnd, kComboProperty));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(m_hwnd, &paint);
        Win32Canvas canvas(dc, m_hwnd, nullptr);
        m_skin.OnPaintFace(canvas);
        EndPaint(m_hwnd, &paint);
        return 0;
      }
      case WM_CTLCOLORLISTBOX: {
        const HWND list = reinterpret_cast<HWND>(lParam);
        if (list && list != m_hwnd) m_skin.OnListColor(std::make_unique<Win32ListBox>(list));
        break;
      }
      case WM_DESTROY:
        m_selected = static_cast<int>(SendMessageA(m_hwnd, CB_GETCURSEL, 0, 0));
        m_skin.OnDestroy();
        break;
      case WM_NCDESTROY: {
        const HWND hwnd = m_hwnd;
        const WNDPROC old = m_oldProc;
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        RemovePropA(hwnd, kComboProperty);
        m_hwnd = nullptr;
        return CallWindowProcA(old, hwnd, message, wParam, lParam);
      }
      default:
        break;
    }
    return CallWindowProcA(m_oldProc, m_hwnd, message, wParam, lParam);
  }

  HWND m_hwnd;
  ComboSkin& m_skin;
  WNDPROC m_oldProc = nullptr;
  std::vector<std::string> m_items;
  int m_selected = -1;
};

}  // namespace

bool CreateWin32Child(WindowHost& parentHost, HWND parent, Window& child, int id,
                      const Rect& rect) {
  if (!RegisterChildClass()) return false;
  auto* host = new Win32ChildHost(parentHost, child);
  child.Attach(host);
  HWND hwnd = CreateWindowExA(0, kChildClass, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect.left,
                              rect.top, rect.Width(), rect.Height(), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), host);
  if (!hwnd) {
    child.Attach(nullptr);
    delete host;
    return false;
  }
  ClipChildren(parent);
  return true;
}

std::unique_ptr<ComboBox> CreateWin32ComboBox(HWND parent, ComboSkin& skin, int id,
                                              const Rect& rect) {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                      CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
  HWND hwnd = CreateWindowExA(0, "COMBOBOX", "", style, rect.left, rect.top, rect.Width(),
                              rect.Height(), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return nullptr;
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  SendMessageA(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kFaceFieldHeight);
  SendMessageA(hwnd, CB_SETITEMHEIGHT, 0, kItemHeight);
  ClipChildren(parent);
  return std::make_unique<Win32ComboBox>(hwnd, skin);
}

bool ReflectOwnerDraw(UINT message, WPARAM /*wParam*/, LPARAM lParam, LRESULT* result) {
  if (message == WM_MEASUREITEM) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (!measure || measure->CtlType != ODT_COMBOBOX) return false;
    measure->itemHeight = measure->itemID == static_cast<UINT>(-1) ? kFaceFieldHeight : kItemHeight;
    *result = TRUE;
    return true;
  }
  if (message == WM_DRAWITEM) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!draw || draw->CtlType != ODT_COMBOBOX) return false;
    auto* combo = static_cast<Win32ComboBox*>(GetPropA(draw->hwndItem, kComboProperty));
    if (!combo) return false;
    combo->DrawItem(*draw);
    *result = TRUE;
    return true;
  }
  return false;
}

bool TranslateDialogKey(Window& window, HWND dialog, const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  unsigned code = 0;
  if (msg.hwnd != dialog) {
    code = static_cast<unsigned>(
        SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)));
  }
  const DialogKey action = RouteDialogKey(msg.wParam, GetKeyState(VK_SHIFT) < 0, code);
  switch (action) {
    case DialogKey::Deliver:
      return false;
    case DialogKey::Ok:
      window.OnOK();
      return true;
    case DialogKey::Cancel:
      window.OnCancel();
      return true;
    case DialogKey::FocusNext:
    case DialogKey::FocusPrevious:
      break;
  }
  RECT client{};
  GetClientRect(dialog, &client);
  const Rect area{client.left, client.top, client.right, client.bottom};
  std::vector<HWND> stops;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (GetWindowLongPtrA(c, GWL_STYLE) & WS_TABSTOP) stops.push_back(c);
  const HWND focus = GetFocus();
  int current = -1;
  for (size_t i = 0; i < stops.size(); ++i)
    if (stops[i] == focus) current = static_cast<int>(i);
  const int next = NextFocusStop(current, static_cast<int>(stops.size()),
                                 action == DialogKey::FocusPrevious, [&](int i) {
                                   const HWND c = stops[static_cast<size_t>(i)];
                                   return IsWindowVisible(c) && IsWindowEnabled(c) &&
                                          IsInside(RectInParent(c), area);
                                 });
  ::SetFocus(next < 0 ? dialog : stops[static_cast<size_t>(next)]);
  return true;
}

int ControlIdOf(HWND hwnd) {
  return (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) ? GetDlgCtrlID(hwnd) : 0;
}

void PostToParentOf(HWND hwnd, unsigned message, uintptr_t wParam, intptr_t lParam) {
  PostMessageA(GetParent(hwnd), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

}  // namespace zor::ui
