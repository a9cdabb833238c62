// The test host's child windows, combo boxes, focus, keys and posted messages.
#include "ui/testing/test_children.h"

#include <algorithm>

namespace zor::ui {

namespace {

bool Contains(const Rect& r, Point p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

// ---- The combo's list ----

class TestListBox : public ListBox {
 public:
  explicit TestListBox(TestComboBox& combo) : m_combo(combo) {}
  bool IsLive() const override { return m_combo.m_listLive; }
  Rect ClientRect() const override {
    return Rect{0, 0, m_combo.m_rect.Width(), m_combo.GetCount() * TestComboBox::kItemHeight};
  }
  int ItemCount() const override { return m_combo.GetCount(); }
  Rect ItemRect(int index) const override {
    return Rect{0, index * TestComboBox::kItemHeight, m_combo.m_rect.Width(),
                (index + 1) * TestComboBox::kItemHeight};
  }
  std::string ItemText(int index) const override { return m_combo.GetItemText(index); }
  FontHandle Font() const override { return kListFont; }
  std::unique_ptr<Canvas> WindowCanvas() override {
    return m_combo.m_parent->RecordingCanvasOn(m_combo.m_list, m_combo.m_ops, false);
  }

  // The font the test system gives lists, so tests can tell it from the surface's own.
  static constexpr FontHandle kListFont = 0x4C15;

 private:
  TestComboBox& m_combo;
};

TestComboBox::TestComboBox(TestHost& parent, ComboSkin& skin, int id, const Rect& rect)
    : m_parent(&parent), m_skin(skin), m_id(id), m_rect(rect) {}

TestComboBox::~TestComboBox() {
  if (m_parent) m_parent->ForgetCombo(this);
}

void TestComboBox::SetCurSel(int index) {
  m_selected = index >= 0 && index < GetCount() ? index : -1;
}

std::string TestComboBox::GetItemText(int index) const {
  if (index < 0 || index >= GetCount()) return std::string();
  return m_items[static_cast<size_t>(index)];
}

void TestComboBox::PaintFace() {
  if (!m_parent) return;
  m_face = Image(m_rect.Width(), kFaceHeight);
  const std::unique_ptr<Canvas> canvas = m_parent->RecordingCanvasOn(m_face, m_ops, true);
  m_skin.OnPaintFace(*canvas);
  m_invalidated = false;
}

void TestComboBox::Drop() {
  if (!m_parent) return;
  m_dropped = true;
  m_listLive = true;
  m_list = Image(m_rect.Width(), GetCount() * kItemHeight);
  // The list asks for its colours at every paint; the skin keeps the first list it sees.
  m_skin.OnListColor(std::make_unique<TestListBox>(*this));
  DrawItems();
}

void TestComboBox::DrawItems() {
  const std::unique_ptr<Canvas> canvas = m_parent->RecordingCanvasOn(m_list, m_ops, true);
  for (int i = 0; i < GetCount(); ++i) {
    DrawItem item;
    item.itemId = i;
    item.action = kOdaDrawEntire;
    item.state = i == m_selected ? (kOdsSelected | kOdsFocus) : 0;
    item.canvas = canvas.get();
    item.rect = Rect{0, i * kItemHeight, m_rect.Width(), (i + 1) * kItemHeight};
    m_skin.OnDrawItem(item);
  }
}

void TestComboBox::Pick(int index) {
  SetCurSel(index);
  m_dropped = false;
  PaintFace();
}

void TestComboBox::KeyDown(uintptr_t key) {
  if (key == kKeyUp || key == kKeyLeft) SetCurSel(std::max(0, m_selected - 1));
  if (key == kKeyDown || key == kKeyRight) SetCurSel(std::min(GetCount() - 1, m_selected + 1));
  if (key == kKeyReturn || key == kKeyEscape) m_dropped = false;
  if (m_dropped) DrawItems();
  PaintFace();
}

void TestComboBox::Destroy() {
  if (!m_parent) return;
  m_skin.OnDestroy();
  m_listLive = false;
  m_parent = nullptr;
}

// ---- Child windows, focus and keys of the test host ----

Rect TestHost::ChildEntry::Bounds() const {
  if (host) return host->m_rect;
  if (combo) return combo->FaceRect();
  return Rect{};
}

TestHost::TestHost(Window& child, TestHost& parent, int id, const Rect& rect)
    : TestHost(child, rect) {
  m_parent = &parent;
  m_id = id;
}

bool TestHost::CreateChild(Window& child, int id, const Rect& rect) {
  ChildEntry entry;
  entry.id = id;
  entry.host.reset(new TestHost(child, *this, id, rect));
  entry.host->m_libraries = m_libraries;
  entry.host->m_programResources = m_programResources;
  entry.host->m_language = m_language;
  m_children.push_back(std::move(entry));
  return true;
}

std::unique_ptr<ComboBox> TestHost::CreateComboBox(ComboSkin& skin, int id, const Rect& rect) {
  auto combo = std::make_unique<TestComboBox>(*this, skin, id, rect);
  ChildEntry entry;
  entry.id = id;
  entry.combo = combo.get();
  m_children.push_back(std::move(entry));
  return combo;
}

void TestHost::ForgetCombo(const TestComboBox* combo) {
  m_children.erase(std::remove_if(m_children.begin(), m_children.end(),
                                  [combo](const ChildEntry& c) { return c.combo == combo; }),
                   m_children.end());
}

TestHost* TestHost::Child(int id) {
  for (ChildEntry& c : m_children)
    if (c.id == id && c.host) return c.host.get();
  return nullptr;
}

TestComboBox* TestHost::Combo(int id) {
  for (ChildEntry& c : m_children)
    if (c.id == id && c.combo) return c.combo;
  return nullptr;
}

void TestHost::PostToParent(unsigned message, uintptr_t wParam, intptr_t lParam) {
  if (m_parent) m_parent->m_posted.push_back(PostedMessage{message, wParam, lParam});
}

void TestHost::PumpPosted() {
  while (!m_posted.empty() && Live()) {
    const PostedMessage m = m_posted.front();
    m_posted.pop_front();
    m_delivered.push_back(m);
    intptr_t result = 0;
    m_window.OnMessage(m.message, m.wParam, m.lParam, result);
  }
}

void TestHost::SetFocus() {
  if (m_parent)
    m_parent->FocusControl(m_id);
  else
    FocusControl(0);
}

bool TestHost::HasFocus() const {
  return m_parent ? m_parent->m_focusId == m_id : m_focusId == 0;
}

void TestHost::FocusControl(int id) {
  if (id == m_focusId) return;
  const int old = m_focusId;
  m_focusId = id;
  for (ChildEntry& c : m_children) {
    if (c.id != old && c.id != id) continue;
    if (c.host) {
      if (c.id == old)
        c.host->m_window.OnKillFocus();
      else
        c.host->m_window.OnSetFocus();
    }
    if (c.combo) c.combo->PaintFace();  // the system repaints the face on a focus change
  }
}

bool TestHost::IsKeyDown(uintptr_t key) const {
  const TestHost& top = Top();
  return (key == kKeyShift && top.m_shiftDown) || (key != 0 && top.m_keyDown == key);
}

void TestHost::CaptureMouse() {
  TestHost& top = Top();
  if (&top != this && top.m_captured) top.LoseCapture();
  for (ChildEntry& c : top.m_children)
    if (c.host && c.host.get() != this && c.host->m_captured) c.host->LoseCapture();
  m_captured = true;
}

void TestHost::ReleaseMouse() {
  if (m_captured) LoseCapture();
}

void TestHost::LoseCapture() {
  m_captured = false;
  m_window.OnCaptureLost();
}

void TestHost::StealCapture() {
  TestHost& top = Top();
  if (top.m_captured) top.LoseCapture();
  for (ChildEntry& c : top.m_children)
    if (c.host && c.host->m_captured) c.host->LoseCapture();
  top.PumpPosted();
}

bool TestHost::RouteMouse(MouseEvent event, Point client, unsigned keys) {
  if (m_children.empty() || m_captured || m_drag.Armed()) return false;
  const Rect area{0, 0, m_rect.Width(), m_rect.Height()};
  ChildEntry* target = nullptr;
  for (ChildEntry& c : m_children)
    if (c.host && c.host->m_captured) target = &c;
  for (auto it = m_children.rbegin(); !target && it != m_children.rend(); ++it)
    if (IsInside(it->Bounds(), area) && Contains(it->Bounds(), client)) target = &*it;
  if (!target) return false;

  if (target->combo) {
    // A press focuses the combo and drops its list; the list itself is driven with Pick.
    if (event == MouseEvent::Press) {
      FocusControl(target->id);
      target->combo->Drop();
    }
    return true;
  }
  const Rect r = target->host->m_rect;
  const Point local{client.x - r.left, client.y - r.top};
  Window& child = target->host->m_window;
  if (event == MouseEvent::Move) child.OnMouseMove(local, keys);
  if (event == MouseEvent::Press) child.OnLButtonDown(local, keys);
  if (event == MouseEvent::Release) child.OnLButtonUp(local, keys);
  PumpPosted();
  return true;
}

bool TestHost::RouteKey(uintptr_t key) {
  ChildEntry* focused = nullptr;
  int index = -1;
  for (size_t i = 0; i < m_children.size(); ++i) {
    if (m_focusId != 0 && m_children[i].id == m_focusId) {
      focused = &m_children[i];
      index = static_cast<int>(i);
    }
  }
  m_keyDown = key;
  unsigned code = 0;
  if (focused && focused->host) code = focused->host->m_window.OnGetDlgCode();
  // The system's list wants every key while it is dropped, the arrows otherwise.
  if (focused && focused->combo)
    code = focused->combo->Dropped() ? kDlgCodeWantAllKeys : kDlgCodeWantArrows;

  bool used = true;
  const DialogKey action = RouteDialogKey(key, m_shiftDown, code);
  switch (action) {
    case DialogKey::Deliver:
      if (focused && focused->host) focused->host->m_window.OnKeyDown(key);
      if (focused && focused->combo) focused->combo->KeyDown(key);
      if (!focused) {
        m_window.OnKeyDown(key);
        used = false;
      }
      break;
    case DialogKey::FocusNext:
    case DialogKey::FocusPrevious: {
      const Rect area{0, 0, m_rect.Width(), m_rect.Height()};
      const int next = NextFocusStop(index, static_cast<int>(m_children.size()),
                                     action == DialogKey::FocusPrevious, [&](int i) {
                                       return IsInside(m_children[static_cast<size_t>(i)].Bounds(),
                                                       area);
                                     });
      FocusControl(next < 0 ? 0 : m_children[static_cast<size_t>(next)].id);
      break;
    }
    case DialogKey::Ok:
      m_window.OnOK();
      break;
    case DialogKey::Cancel:
      m_window.OnCancel();
      break;
  }
  m_keyDown = 0;
  PumpPosted();
  return used;
}

}  // namespace zor::ui
