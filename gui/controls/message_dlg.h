// The skinned, modal notice and yes/no box: a borderless picture from "res.dll", shaped to its
// non-magenta pixels, with an OK button or Yes and No buttons drawn from the same library.
#pragma once

#include "gui/controls/message_ids.h"
#include "gui/controls/skin_buttons.h"
#include "ui/window.h"

namespace zor {

class CMessageDlg : public ui::Window {
 public:
  explicit CMessageDlg(int messageId) : m_nMessageId(messageId) {}

  bool OnInit() override;
  void OnPaint(ui::Canvas& canvas) override;
  void OnLButtonDown(ui::Point p, unsigned keys) override;
  void OnLButtonUp(ui::Point p, unsigned keys) override;
  void OnMouseMove(ui::Point p, unsigned keys) override;
  void OnDragStart() override;
  // Enter and Escape neither confirm nor close this box.
  bool PreTranslateMessage(unsigned message, uintptr_t wParam) override;

  int m_nButtonCount = 0;
  SKIN_BUTTON m_buttons[2];  // 0: OK or Yes, 1: No
  ui::Bitmap m_hBackground;
  int m_nMessageId;  // the id on entry; 1 or 0 once a button was clicked
  ui::ColorRef m_crKey = 0;
  ui::ColorRef m_crTolerance = 0;

 private:
  void SetUpButtons(const ui::ResourceLibrary& res);

  // The window's shape, built once from the background and handed over at every paint.
  ui::RegionPtr m_region;
  // The background carries the message's text in the system's language, so none is drawn over it.
  bool m_bPictureHasText = false;
};

// Shows message id (a MessageId, or any other number: see MessageBackgroundName) modally over
// owner; kAnswerYes when the first button (OK or Yes) was clicked, kAnswerNo for No, the id itself
// when the box was closed some other way.
int ShowMessage(ui::ModalHost& owner, int id);

// The name of the background picture of message id.
std::string MessageBackgroundName(int id);

// The name of the picture that carries message id's text in the system's language, "" when the
// program draws that text (or the message has none).
std::string MessageTextPictureName(int id, unsigned language);

}  // namespace zor
