#include "gui/controls/skin_combo.h"

#include <cstdio>

namespace zor {

int CSkinComboBox::s_nTextInset = 0;

namespace {

constexpr int kFaceRectBottom = 26;
constexpr int kFaceFrame = 3;
constexpr int kItemTextGap = 5;
constexpr unsigned kTextFormat = ui::kTextSingleLine | ui::kTextVCenter;

int WidthOf(const ui::Bitmap& b) { return b ? b->width : 0; }

}  // namespace

bool CSkinComboBox::Create(ui::WindowHost& parent, int id, const ui::Rect& rect) {
  m_host = &parent;
  m_combo = parent.CreateComboBox(*this, id, rect);
  return m_combo != nullptr;
}

void CSkinComboBox::SetFaceBitmaps(UINT left, UINT right, UINT middle) {
  m_nFaceLeft = left;
  m_nFaceRight = right;
  m_nFaceMiddle = middle;
}

void CSkinComboBox::SetListBitmaps(UINT left, UINT right, UINT top, UINT bottom) {
  m_nListLeft = left;
  m_nListRight = right;
  m_nListTop = top;
  m_nListBottom = bottom;
}

void CSkinComboBox::SetFocusColors(ui::ColorRef background, ui::ColorRef text) {
  m_crFocusBk = background;
  m_crFocusText = text;
}

void CSkinComboBox::SetNormalColors(ui::ColorRef background, ui::ColorRef text) {
  m_crNormalBk = background;
  m_crNormalText = text;
}

bool CSkinComboBox::GetShownText(char* buffer, size_t size) const {
  if (!buffer || size == 0) return false;
  const std::string text = m_combo ? m_combo->GetItemText(m_combo->GetCurSel()) : std::string();
  std::snprintf(buffer, size, "%s", text.c_str());
  return true;
}

ui::Bitmap CSkinComboBox::Load(UINT id) const {
  if (id == 0 || !m_host) return nullptr;
  return m_host->ProgramResources()->GetBitmap(static_cast<int>(id));
}

void CSkinComboBox::OnPaintFace(ui::Canvas& canvas) {
  const ui::Rect client = m_combo->ClientRect();
  ui::Rect r = client;
  r.bottom = kFaceRectBottom;

  const ui::Bitmap left = Load(m_nFaceLeft);
  const ui::Bitmap right = Load(m_nFaceRight);
  const ui::Bitmap middle = Load(m_nFaceMiddle);
  if (left) canvas.Copy(*left, r.left, r.top);
  if (right) canvas.Copy(*right, r.right - right->width, r.top);
  if (middle) {
    canvas.Stretch(*middle, ui::Rect{0, 0, middle->width, middle->height},
                   ui::Rect{r.left + WidthOf(left), r.top, r.right - WidthOf(right),
                            r.top + middle->height});
  }

  m_strShown = m_combo->WindowText();
  r.left += s_nTextInset;
  const ui::FontHandle font = HasList() ? m_list->Font() : 0;
  canvas.SetTransparentText(true);

  const ui::Rect field{client.left + kFaceFrame, client.top + kFaceFrame,
                       client.right - (WidthOf(right) + 1), client.bottom - kFaceFrame};
  const bool focused = m_combo->HasFocus();
  canvas.Fill(field, focused ? m_crFocusBk : m_crNormalBk);
  canvas.SetTextColor(focused ? m_crFocusText : m_crNormalText);
  canvas.TextInRect(r, m_strShown, kTextFormat, font);

  if (!HasList()) return;
  // The open list is repainted with the face, so both show one inset.
  const std::unique_ptr<ui::Canvas> list = m_list->WindowCanvas();
  list->Fill(m_list->ClientRect(), m_crNormalBk);
  DrawBorders();
  list->SetTransparentText(true);
  list->SetTextColor(m_crNormalText);
  for (int i = 0; i < m_list->ItemCount(); ++i) {
    ui::Rect item = m_list->ItemRect(i);
    item.left = item.left + WidthOf(left) + kItemTextGap;
    s_nTextInset = item.left;
    list->TextInRect(item, m_list->ItemText(i), kTextFormat, m_list->Font());
  }
}

void CSkinComboBox::OnDrawItem(const ui::DrawItem& item) {
  if (item.itemId == -1 || !HasList() || !item.canvas) return;
  if (item.action & ui::kOdaDrawEntire) m_combo->Invalidate(true);

  ui::Canvas& dc = *item.canvas;
  const bool focused = (item.state & ui::kOdsFocus) != 0;
  dc.Fill(item.rect, focused ? m_crFocusBk : m_crNormalBk);
  dc.SetTextColor(focused ? m_crFocusText : m_crNormalText);

  DrawBorder(Border::Left);
  DrawBorder(Border::Right);
  if (item.itemId == m_list->ItemCount() - 1) DrawBorder(Border::Bottom);
  if (item.itemId == 0) DrawBorder(Border::Top);

  ui::Rect text = item.rect;
  text.left = s_nTextInset;
  dc.SetTransparentText(true);
  dc.TextInRect(text, m_list->ItemText(item.itemId), kTextFormat, m_list->Font());
}

void CSkinComboBox::DrawBorders() {
  DrawBorder(Border::Left);
  DrawBorder(Border::Right);
  DrawBorder(Border::Top);
  DrawBorder(Border::Bottom);
}

void CSkinComboBox::DrawBorder(Border which) {
  const UINT ids[] = {m_nListLeft, m_nListRight, m_nListTop, m_nListBottom};
  const ui::Bitmap bitmap = Load(ids[static_cast<int>(which)]);
  if (!bitmap || !HasList()) return;
  const ui::Rect l = m_list->ClientRect();
  const int w = bitmap->width;
  const int h = bitmap->height;
  ui::Rect to;
  switch (which) {
    case Border::Left: to = ui::Rect{l.left, l.top, l.left + w, l.top + l.bottom}; break;
    case Border::Right: to = ui::Rect{l.right - w, l.top, l.right, l.top + l.bottom}; break;
    case Border::Top: to = ui::Rect{l.left, l.top, l.left + l.right, l.top + h}; break;
    case Border::Bottom: to = ui::Rect{l.left, l.bottom - h, l.left + l.right, l.bottom}; break;
  }
  m_list->WindowCanvas()->Stretch(*bitmap, ui::Rect{0, 0, w, h}, to);
}

void CSkinComboBox::OnListColor(std::unique_ptr<ui::ListBox> list) {
  if (!m_list) m_list = std::move(list);
}

void CSkinComboBox::OnDestroy() { m_list.reset(); }

}  // namespace zor
