// The test host's model of a system drop-down list combo box: strings, selection, focus, and a
// list that asks for its colours when first dropped and has its items drawn by the skin.
#pragma once

#include <string>
#include <vector>

#include "ui/child_control.h"
#include "ui/testing/test_host.h"

namespace zor::ui {

class TestComboBox : public ComboBox {
 public:
  TestComboBox(TestHost& parent, ComboSkin& skin, int id, const Rect& rect);
  ~TestComboBox() override;

  // ComboBox
  void AddString(const std::string& text) override { m_items.push_back(text); }
  void SetCurSel(int index) override;
  int GetCurSel() const override { return m_selected; }
  int GetCount() const override { return static_cast<int>(m_items.size()); }
  std::string GetItemText(int index) const override;
  std::string WindowText() const override { return GetItemText(m_selected); }
  Rect ClientRect() const override { return Rect{0, 0, m_rect.Width(), kFaceHeight}; }
  bool HasFocus() const override { return m_parent && m_parent->FocusedId() == m_id; }
  void Invalidate(bool /*erase*/) override { m_invalidated = true; }
  void MoveWindow(const Rect& rect, bool /*repaint*/) override { m_rect = rect; }

  // Driving it as the system would.
  void PaintFace();                // the face's paint message
  void Drop();                     // the list drops: colours asked for, every item drawn
  void Pick(int index);            // an item chosen in the dropped list; the list closes
  void KeyDown(uintptr_t key);     // Up and Down move the selection; Enter and Escape close
  void Destroy();                  // the window goes away with its parent

  int Id() const { return m_id; }
  Rect WindowRect() const { return m_rect; }  // parent client pixels, dropped height included
  Rect FaceRect() const {
    return Rect{m_rect.left, m_rect.top, m_rect.right, m_rect.top + kFaceHeight};
  }
  bool Dropped() const { return m_dropped; }
  bool Invalidated() const { return m_invalidated; }
  const Image& FaceScreen() const { return m_face; }
  // What was drawn on the face and the list, oldest first.
  const std::vector<DrawOp>& Ops() const { return m_ops; }
  void ClearOps() { m_ops.clear(); }
  const Image& ListScreen() const { return m_list; }

  // Heights the dialog's combos get from the system.
  static constexpr int kFaceHeight = 21;
  static constexpr int kItemHeight = 17;

 private:
  friend class TestListBox;
  void DrawItems();

  TestHost* m_parent;  // null once the window is gone
  ComboSkin& m_skin;
  int m_id;
  Rect m_rect;
  std::vector<std::string> m_items;
  int m_selected = -1;
  bool m_dropped = false;
  bool m_listAsked = false;
  bool m_listLive = false;
  bool m_invalidated = false;
  Image m_face;
  Image m_list;
  std::vector<DrawOp> m_ops;
};

}  // namespace zor::ui
