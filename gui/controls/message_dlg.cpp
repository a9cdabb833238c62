#include "gui/controls/message_dlg.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "gui/controls/drawing.h"
#include "gui/controls/language_ids.h"
#include "platform/program_paths.h"

namespace zor {

namespace {

struct TextLine {
  int x;
  int y;
  const char* text;
};

struct MessageText {
  MessageId id;
  TextLine lines[3];
};

const MessageText kMessageTexts[] = {
    {kMessageLoadDefaults,
     {{20, 24, "Please load default setting of the system frequency"},
      {20, 42, "If you would like to enable Zorwise utility"},
      {0, 0, nullptr}}},
    {kMessageCloseOthers,
     {{22, 24, "This program will close @sorbit,ETC,"},
      {22, 42, "Glyphmint,Do you want to continue??"},
      {0, 0, nullptr}}},
    {kMessageNotSupported,
     {{20, 24, "This motherboard/CPU doesn't support the"},
      {20, 42, "Zorwise function."},
      {0, 0, nullptr}}},
    {kMessageEnableEist,
     {{20, 15, "To make the maximum efficiency of "},
      {20, 33, "Zorwise,Please go to CMOS setup and "},
      {20, 51, "enable the EIST and C1E items."}}},
};

struct ButtonSpec {
  int left;
  int top;
  // Each picture serves as its own mask, loaded a second time under the same name.
  ButtonPictureNames pictures;
};

const ButtonSpec kOkSet[] = {
    {380, 20, {"MSG_OK_N", "MSG_OK_N", "MSG_OK_O", "MSG_OK_O", "MSG_OK_D", "MSG_OK_D"}}};
const ButtonSpec kYesNoSet[] = {
    {290, 20, {"MSG_YES_N", "MSG_YES_N", "MSG_YES_O", "MSG_YES_O", "MSG_YES_D", "MSG_YES_D"}},
    {380, 20, {"MSG_NO_N", "MSG_NO_N", "MSG_NO_O", "MSG_NO_O", "MSG_NO_D", "MSG_NO_D"}}};

bool UsesOkSet(int id) {
  // Id 3 has no notice of its own, but takes the OK set as well.
  return id == kMessageNoFirmwareData || id == 3 || id == kMessageLoadDefaults ||
         id == kMessageNotSupported || id == kMessageEnableEist || id == kMessageWrongRevision;
}

// Stand-ins for pictures the library lacks: the box keeps a clickable size and plain face.
constexpr int kMissingButtonWidth = 75;
constexpr int kMissingButtonHeight = 25;
constexpr int kMissingBackgroundMargin = 20;
constexpr uint32_t kMissingBackgroundPixel = 0xF0F0F0;

}  // namespace

std::string MessageBackgroundName(int id) {
  if (id == kMessageNotSupported || id == kMessageEnableEist) return "MSG_6";
  if (id == kMessageKeepSaving) return "MSG_8";
  if (id == kMessageWrongRevision) return "MSG_9";
  char name[32];
  std::snprintf(name, sizeof name, "MSG_%d", id);
  return name;
}

std::string MessageTextPictureName(int id, unsigned language) {
  if (language != kLangSimplifiedChinese || (id != 8 && id != 9)) return std::string();
  char name[32];
  std::snprintf(name, sizeof name, "MSG_SC_%d", id);
  return name;
}

bool CMessageDlg::OnInit() {
  m_crKey = kMagentaKey;
  m_crTolerance = kMagentaKey;

  // By full path: a privileged program must not pick up a res.dll from the search path.
  const std::string dir = ProgramDirectory();
  std::unique_ptr<ui::ResourceLibrary> res;
  if (!dir.empty()) res = Host().OpenLibrary(JoinPath(dir, "res.dll"));
  if (!res) {
    Host().ShowMessageBox("Load library (RES.dll) failure!!", "Worry");
    Host().ExitProcess(1);
    return false;
  }

  // Simplified Chinese notices carry their text in their own pictures; a res.dll without one
  // gets the shared picture with the English text drawn over it rather than an empty box.
  const std::string textPicture = MessageTextPictureName(m_nMessageId, Host().SystemLanguage());
  if (!textPicture.empty()) m_hBackground = res->GetBitmap(textPicture);
  m_bPictureHasText = m_hBackground != nullptr;
  if (!m_hBackground) m_hBackground = res->GetBitmap(MessageBackgroundName(m_nMessageId));
  SetUpButtons(*res);
  if (!m_hBackground) {
    // A plain face large enough to hold the buttons, so the box can still be answered.
    int width = 0;
    int height = 0;
    for (int i = 0; i < m_nButtonCount; ++i) {
      width = std::max(width, m_buttons[i].right + kMissingBackgroundMargin);
      height = std::max(height, m_buttons[i].bottom + kMissingBackgroundMargin);
    }
    m_hBackground = std::make_shared<const ui::Image>(width, height, kMissingBackgroundPixel);
  }
  m_region = MakeRegionFromBitmap(m_hBackground, m_crKey, m_crTolerance);

  // The size follows the picture; the top-left stays, so the host centres the box.
  ui::Rect rect = Host().WindowRect();
  rect.right = rect.left + m_hBackground->width;
  rect.bottom = rect.top + m_hBackground->height;
  Host().MoveWindow(rect, true);
  return true;
}

void CMessageDlg::SetUpButtons(const ui::ResourceLibrary& res) {
  const bool ok = UsesOkSet(m_nMessageId);
  const ButtonSpec* set = ok ? kOkSet : kYesNoSet;
  m_nButtonCount = ok ? 1 : 2;
  for (int i = 0; i < m_nButtonCount; ++i) {
    SKIN_BUTTON& b = m_buttons[i];
    LoadPictures(b, res, set[i].pictures);
    const ui::Bitmap& sized = b.normalImage ? b.normalImage
                              : b.overImage ? b.overImage
                                            : b.downImage;
    PlaceControl(b, set[i].left, set[i].top, sized ? sized->width : kMissingButtonWidth,
                 sized ? sized->height : kMissingButtonHeight);
    b.latched = 0;
  }
}

void CMessageDlg::OnPaint(ui::Canvas& canvas) {
  if (m_region) canvas.SetWindowRegion(m_region, true);
  canvas.Copy(*m_hBackground, 0, 0);
  canvas.SetTransparentText(true);
  if (m_bPictureHasText) return;
  for (const MessageText& message : kMessageTexts) {
    if (message.id != m_nMessageId) continue;
    for (const TextLine& line : message.lines)
      if (line.text) canvas.Text(line.x, line.y, line.text);
  }
}

void CMessageDlg::OnLButtonDown(ui::Point p, unsigned /*keys*/) {
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  if (PressControls(m_buttons, m_nButtonCount, p, Painter<SKIN_BUTTON>(*dc))) Host().CaptureMouse();
  // A press anywhere may also move the box.
  Host().BeginDrag(p);
}

void CMessageDlg::OnMouseMove(ui::Point p, unsigned /*keys*/) {
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  const HoverResult hover = HoverControls(m_buttons, m_nButtonCount, p, OverRedraw::OnArriving,
                                          OffRedraw::EveryMove, Painter<SKIN_BUTTON>(*dc));
  Host().SetCursor(hover == HoverResult::OnButton ? ui::Cursor::Hand : ui::Cursor::Arrow);
}

void CMessageDlg::OnLButtonUp(ui::Point p, unsigned /*keys*/) {
  for (int i = 0; i < m_nButtonCount; ++i) {
    const SKIN_BUTTON& b = m_buttons[i];
    if (!ReleaseClicks(b, p)) continue;
    DrawControl(*Host().ClientCanvas(), b, Look::Over);
    m_nMessageId = i == 0 ? kAnswerYes : kAnswerNo;
    OnCancel();
  }
  Host().ReleaseMouse();
}

void CMessageDlg::OnDragStart() {
  // Moving the box is not a click: the armed button falls back as if the pointer had left it.
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  CancelPress(m_buttons, m_nButtonCount, Painter<SKIN_BUTTON>(*dc));
}

bool CMessageDlg::PreTranslateMessage(unsigned /*message*/, uintptr_t wParam) {
  return wParam == ui::kKeyReturn || wParam == ui::kKeyEscape;
}

int ShowMessage(ui::ModalHost& owner, int id) {
  CMessageDlg dialog(id);
  owner.DoModal(dialog);
  return dialog.m_nMessageId;
}

}  // namespace zor
