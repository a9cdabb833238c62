// The skin of a system drop-down list combo box: a three-piece bitmap face with a coloured
// interior and the current text, coloured owner-drawn list items, and a bitmap border around the
// dropped list. The system keeps the combo's keyboard and drop-down behaviour.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "gui/controls/skin_slider.h"
#include "ui/child_control.h"
#include "ui/window.h"

namespace zor {

class CSkinComboBox : public ui::ComboSkin {
 public:
  // Makes the system combo box, a child of parent's window; false when it could not be made.
  bool Create(ui::WindowHost& parent, int id, const ui::Rect& rect);
  ui::ComboBox& Combo() { return *m_combo; }

  void SetFaceBitmaps(UINT left, UINT right, UINT middle);
  void SetListBitmaps(UINT left, UINT right, UINT top, UINT bottom);
  void SetFocusColors(ui::ColorRef background, ui::ColorRef text);
  void SetNormalColors(ui::ColorRef background, ui::ColorRef text);
  // The text of the current selection, cut to fit size bytes with its terminating zero.
  bool GetShownText(char* buffer, size_t size) const;

  void OnPaintFace(ui::Canvas& canvas) override;
  void OnDrawItem(const ui::DrawItem& item) override;
  void OnListColor(std::unique_ptr<ui::ListBox> list) override;
  void OnDestroy() override;

  // Horizontal offset of face and item text, shared by every skinned combo; set when a combo
  // paints its list items.
  static int s_nTextInset;

 private:
  std::unique_ptr<ui::ComboBox> m_combo;  // before m_list: the list belongs to the combo

 public:
  std::unique_ptr<ui::ListBox> m_list;  // the dropped list, once it asked for its colours
  UINT m_nFaceLeft = 0;
  UINT m_nFaceRight = 0;
  UINT m_nFaceMiddle = 0;
  UINT m_nListLeft = 0;
  UINT m_nListRight = 0;
  UINT m_nListTop = 0;
  UINT m_nListBottom = 0;
  ui::ColorRef m_crFocusBk = 0;
  ui::ColorRef m_crFocusText = 0;
  ui::ColorRef m_crNormalBk = 0;
  ui::ColorRef m_crNormalText = 0;
  std::string m_strShown;  // the face's text at its last paint

 private:
  ui::Bitmap Load(UINT id) const;
  bool HasList() const { return m_list && m_list->IsLive(); }
  enum class Border { Left, Right, Top, Bottom };
  void DrawBorder(Border which);
  void DrawBorders();

  ui::WindowHost* m_host = nullptr;  // the parent's host: the program's bitmaps come through it
};

}  // namespace zor
