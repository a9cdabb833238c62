#include "gui/controls/advanced_dlg.h"

#include <algorithm>
#include <cstdio>

#include "gui/controls/drawing.h"
#include "gui/controls/language_ids.h"
#include "gui/controls/level_table.h"
#include "gui/controls/skin_buttons.h"
#include "platform/program_paths.h"

namespace zor {

const char* const kToggleKeys[kToggleCount] = {"NB", "SB",  "VGA",  "MEM", "SF",
                                               "VTT", "LPS", "THRO", "PCH"};
const char* const kDiskTimeoutTexts[kTimeoutItems] = {
    "3 Mins", "10 Mins", "15 Mins", "30 Mins", "1 hour", "2 hours", "3 Hours", "Never"};
const char* const kMonitorTimeoutTexts[kTimeoutItems] = {
    "3 Mins", "10 Mins", "15 Mins", "30 Mins", "1 Hour", "2 Hours", "3 Hours", "Never"};
const int kTimeoutMinutes[kTimeoutItems] = {3, 10, 15, 30, 60, 120, 180, 0};

namespace {

// Each picture is its own mask: every draw is a plain copy.
struct ButtonSpec {
  ButtonPictureNames pictures;
  int left;
  int top;  // 0: the SAVE and QUIT row
};
const ButtonSpec kButtons[6] = {
    {{"SAVE_N", nullptr, "SAVE_O", nullptr, "SAVE_D", nullptr}, 378, 0},
    {{"QUIT_N", nullptr, "QUIT_O", nullptr, "QUIT_D", nullptr}, 482, 0},
    {{"L_N", nullptr, "L_O", nullptr, "L_D", nullptr}, 114, 85},
    {{"R_N", nullptr, "R_O", nullptr, "R_D", nullptr}, 254, 85},
    {{"L_N", nullptr, "L_O", nullptr, "L_D", nullptr}, 376, 245},
    {{"R_N", nullptr, "R_O", nullptr, "R_D", nullptr}, 516, 245},
};
constexpr int kCommandRowTopP67 = 303;
constexpr int kCommandRowTop = 346;

// The level buttons, in the order of the level table.
struct LevelSpec {
  RadioPictureNames pictures;
  int top;
};
const LevelSpec kLevels[kLevelButtons] = {
    {{"LV1_N", "LV1_O", "LV1_D", "LV1_dis"}, 73},
    {{"LV2_N", "LV2_O", "LV2_D", "LV2_dis"}, 89},
    {{"LV3_N", "LV3_O", "LV3_D", "LV3_dis"}, 106},
};
constexpr int kLevelLeftP67 = 119;
constexpr int kLevelLeft = 297;

// Toggle places: top (and on P67), left on X58, P55, P67 and other platforms; negative = hidden.
struct ToggleSpec {
  int top;
  int topP67;
  int left[4];
};
enum { kX58 = 0, kP55, kP67, kOther };
const ToggleSpec kToggles[kToggleCount] = {
    {152, 152, {130, -130, -130, 130}},  // NB
    {152, 152, {210, -130, -130, 210}},  // SB
    {152, 152, {538, 538, 274, 538}},    // VGA
    {232, 232, {538, 538, 126, 538}},    // MEM
    {312, 232, {130, 130, 445, 130}},    // SF
    {72, 72, {-387, -387, -387, 387}},   // VTT
    {72, 72, {387, 387, 209, 463}},      // LPS
    {72, 72, {463, 463, 275, 538}},      // THRO
    {72, 72, {-200, 446, 446, -200}},    // PCH
};

const ui::Rect kUpperSliderRect{136, 84, 254, 106};
const ui::Rect kLowerSliderRect{398, 243, 516, 265};
const ui::Rect kParkedSliderRect{-120, 0, -2, 22};
const ui::Point kLabels[2] = {{170, 110}, {439, 267}};
constexpr ui::ColorRef kLabelColour = 0x00C1BEBC;

constexpr int kListWidth = 130;
constexpr int kListHeight = 226;

constexpr unsigned kSliderTrack = 131;
constexpr unsigned kSliderThumb = 130;
constexpr unsigned kFaceLeft = 133, kFaceRight = 134, kFaceMiddle = 132;
constexpr unsigned kListLeft = 136, kListRight = 137, kListTop = 138, kListBottom = 135;
constexpr ui::ColorRef kFocusBk = 0xF0F0F0, kFocusText = 0x000000;
constexpr ui::ColorRef kNormalBk = 0xFFFFFF, kNormalText = 0x000000;

constexpr int kUnlistedTimeoutItem = 3;  // "30 Mins"

// A plain face for a skin that lacks its background, so the dialog can still be used.
constexpr int kMissingWidth = 640;
constexpr int kMissingHeight = 390;
constexpr uint32_t kMissingPixel = 0x303438;

}  // namespace

const char* AdvancedSkinLibrary(unsigned language) {
  if (language == kLangSimplifiedChinese) return "AdvSC.dll";
  if (language == kLangTraditionalChinese) return "AdvTC.dll";
  return "AdvEng.dll";
}

uint8_t NormalisedLevel(int code) {
  const int button = LevelButton(code);
  return static_cast<uint8_t>(kLevelTable[button < 0 ? 0 : button].code);
}

bool CAdvancedDlg::OnInit() {
  m_crKey = kMagentaKey;
  m_crTolerance = kMagentaKey;

  // By full path, as a privileged program must.
  const std::string dir = ProgramDirectory();
  std::unique_ptr<ui::ResourceLibrary> skin;
  if (!dir.empty()) skin = Host().OpenLibrary(JoinPath(dir, AdvancedSkinLibrary(Host().SystemLanguage())));
  if (!skin) {
    Host().ShowMessageBox("Load library (AdvENG.dll) failure!!", "Worry");
    m_bSkinMissing = true;  // the opener gives the power settings back, then ends the program
    return false;
  }

  const char* background = m_start.p55   ? "Main_P55"
                           : m_start.x58 ? "Main_X58"
                           : P67()       ? "MAIN_P67"
                                         : "Main";
  m_hBackground = skin->GetBitmap(background);
  if (!m_hBackground)
    m_hBackground = std::make_shared<const ui::Image>(kMissingWidth, kMissingHeight, kMissingPixel);
  m_region = MakeRegionFromBitmap(m_hBackground, m_crKey, m_crTolerance);
  ui::Rect rect = Host().WindowRect();
  rect.right = rect.left + m_hBackground->width;
  rect.bottom = rect.top + m_hBackground->height;
  Host().MoveWindow(rect, true);

  m_hToggleOff = skin->GetBitmap("RDO_Off");
  m_hToggleOn = skin->GetBitmap("RDO_On");
  m_hLabelBar = skin->GetBitmap("BBar");
  SetUpButtons(*skin);

  m_nChosenLevel = NormalisedLevel(m_start.level);
  m_levels[LevelButton(m_nChosenLevel)].selected = 1;

  // The reduction lives in a 16-bit firmware item; the sliders, labels and store keep 0..30.
  m_nReduction = std::clamp(static_cast<int>(m_start.powerItem), 0, kReductionMax);
  if (P67()) {
    for (CSkinSlider* slider : {&m_sldUpper, &m_sldLower}) {
      Host().CreateChild(*slider, slider == &m_sldUpper ? kIdUpperSlider : kIdLowerSlider,
                         kParkedSliderRect);
      slider->EnableSlider(0);
    }
  } else {
    SetUpSlider(m_sldUpper, kIdUpperSlider, kUpperSliderRect);
    SetUpSlider(m_sldLower, kIdLowerSlider, kLowerSliderRect);
  }

  SetUpList(m_cboDisk, kIdDiskList, kDiskTimeoutTexts, m_start.diskTimeout, true);
  SetUpList(m_cboMonitor, kIdMonitorList, kMonitorTimeoutTexts, m_start.monitorTimeout, false);
  SetUpToggles();
  return true;
}

void CAdvancedDlg::SetUpButtons(const ui::ResourceLibrary& skin) {
  m_nButtonCount = P67() ? 2 : 6;
  const int row = P67() ? kCommandRowTopP67 : kCommandRowTop;
  for (int i = 0; i < 6; ++i) {
    SKIN_BUTTON& b = m_buttons[i];
    LoadPictures(b, skin, kButtons[i].pictures);
    PlaceControl(b, kButtons[i].left, kButtons[i].top ? kButtons[i].top : row, b.normalImage);
    b.latched = 0;
  }
  for (int i = 0; i < kLevelButtons; ++i) {
    SKIN_RADIO& r = m_levels[i];
    LoadPictures(r, skin, kLevels[i].pictures);
    PlaceControl(r, P67() ? kLevelLeftP67 : kLevelLeft, kLevels[i].top, r.normalImage);
    r.selected = 0;
  }
  const int platform = m_start.x58 ? kX58 : m_start.p55 ? kP55 : P67() ? kP67 : kOther;
  const int w = m_hToggleOn ? m_hToggleOn->width : 0;
  const int h = m_hToggleOn ? m_hToggleOn->height : 0;
  for (int i = 0; i < kToggleCount; ++i) {
    SKIN_TOGGLE& t = m_toggles[i];
    PlaceControl(t, kToggles[i].left[platform], P67() ? kToggles[i].topP67 : kToggles[i].top, w, h);
    t.on = 0;
    t.locked = 0;
  }
}

void CAdvancedDlg::SetUpSlider(CSkinSlider& slider, int id, const ui::Rect& rect) {
  Host().CreateChild(slider, id, rect);
  slider.SetTrackBitmaps(kSliderTrack, kSliderTrack, 0, ui::kKeyFromPixel, 0, 0);
  slider.SetThumbBitmaps(kSliderThumb, kSliderThumb, 1, ui::kKeyFromPixel, 0, 0);
  slider.ShowFocusRect(0, 0);
  if (slider.HasHost()) slider.Host().MoveWindow(rect, true);
  slider.SetRange(0, kReductionMax, 0);
  slider.SetPos(m_nReduction);
  slider.EnableSlider(1);
}

void CAdvancedDlg::SetUpList(CSkinComboBox& list, int id, const char* const texts[], int minutes,
                             bool disk) {
  const ui::Point at = disk ? (P67() ? ui::Point{450, 164} : ui::Point{134, 244})
                            : (P67() ? ui::Point{132, 164} : ui::Point{398, 164});
  const ui::Rect rect{at.x, at.y, at.x + kListWidth, at.y + kListHeight};
  if (!list.Create(Host(), id, rect)) return;
  list.SetFaceBitmaps(kFaceLeft, kFaceRight, kFaceMiddle);
  list.SetListBitmaps(kListLeft, kListRight, kListTop, kListBottom);
  list.SetFocusColors(kFocusBk, kFocusText);
  list.SetNormalColors(kNormalBk, kNormalText);
  for (int i = 0; i < kTimeoutItems; ++i) list.Combo().AddString(texts[i]);
  list.Combo().MoveWindow(rect, true);
  // An unlisted time-out is only preselected as "30 Mins"; the system changes on SAVE alone.
  int item = kUnlistedTimeoutItem;
  for (int i = 0; i < kTimeoutItems; ++i)
    if (kTimeoutMinutes[i] == minutes) item = i;
  list.Combo().SetCurSel(item);
}

void CAdvancedDlg::SetUpToggles() {
  const bool pchBoard = m_start.p55 || P67();
  if (pchBoard) {
    m_toggles[kTogglePch].on = m_start.railReduced[kRailPch];
    m_toggles[kToggleNb].locked = 1;
    m_toggles[kToggleSb].locked = 1;
  } else {
    m_toggles[kToggleNb].on = m_start.railReduced[kRailNorthBridge];
    m_toggles[kToggleSb].on = m_start.railReduced[kRailSouthBridge];
    m_toggles[kTogglePch].locked = 1;
  }
  if (m_start.x58) {
    m_toggles[kToggleVtt].locked = 1;
  } else {
    m_toggles[kToggleVtt].on = m_start.railReduced[kRailVtt];
  }
  if (!m_start.railPresent[kRailMemory]) {
    m_toggles[kToggleMem].locked = 1;
  } else {
    m_toggles[kToggleMem].on = m_start.railReduced[kRailMemory];
  }
  if (!m_start.lowPowerOffered) {
    m_toggles[kToggleLps].locked = 1;
  } else {
    m_toggles[kToggleLps].on = m_start.lowPowerOn;
  }
  m_toggles[kToggleThro].on = m_start.throttling;
  m_toggles[kToggleVga].on = m_start.vgaSaving;
  m_toggles[kToggleSf].on = m_start.fanEnergyCurve;
}

void CAdvancedDlg::OnPaint(ui::Canvas& canvas) {
  if (m_region) canvas.SetWindowRegion(m_region, true);
  canvas.Copy(*m_hBackground, 0, 0);
  for (int i = 0; i < m_nButtonCount; ++i) {
    const SKIN_BUTTON& b = m_buttons[i];
    if (!b.latched && b.normalImage) canvas.Copy(*b.normalImage, b.left, b.top);
  }
  for (const SKIN_RADIO& r : m_levels) {
    const ui::Bitmap& image = r.selected ? r.selectedImage : r.normalImage;
    if (image) canvas.Copy(*image, r.left, r.top);
  }
  for (const SKIN_TOGGLE& t : m_toggles) {
    const ui::Bitmap& image = t.on ? m_hToggleOn : m_hToggleOff;
    if (image) canvas.Copy(*image, t.left, t.top);
  }
  if (!P67()) DrawLabels(canvas);
}

void CAdvancedDlg::DrawLabels(ui::Canvas& canvas) {
  char text[16];
  std::snprintf(text, sizeof text, "-%d %%", m_nReduction);
  canvas.SetTextColor(kLabelColour);
  canvas.SetTransparentText(true);
  for (const ui::Point& at : kLabels) {
    if (m_hLabelBar) canvas.Copy(*m_hLabelBar, at.x, at.y);
    canvas.Text(at.x, at.y, text);
  }
}

void CAdvancedDlg::RedrawLabels() {
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  DrawLabels(*dc);
}

void CAdvancedDlg::OnMouseMove(ui::Point p, unsigned keys) {
  if (keys == ui::kMouseLeft || keys == ui::kMouseRight || keys == ui::kMouseMiddle) return;
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  const HoverResult hover[] = {
      HoverControls(m_buttons, m_nButtonCount, p, OverRedraw::OnArriving, OffRedraw::OnLeaving,
                    Painter<SKIN_BUTTON>(*dc)),
      HoverControls(m_levels, m_nLevelCount, p, OverRedraw::EveryMove, OffRedraw::OnLeaving,
                    Painter<SKIN_RADIO>(*dc)),
      HoverControls<SKIN_TOGGLE>(m_toggles, m_nToggleCount, p, OverRedraw::OnArriving,
                                 OffRedraw::OnLeaving, nullptr)};
  for (HoverResult h : hover) {
    if (h == HoverResult::OnButton) Host().SetCursor(ui::Cursor::Hand);
    if (h == HoverResult::LeftButton) Host().SetCursor(ui::Cursor::Arrow);
  }
}

void CAdvancedDlg::OnLButtonDown(ui::Point p, unsigned /*keys*/) {
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  const bool pressed[] = {
      PressControls(m_buttons, m_nButtonCount, p, Painter<SKIN_BUTTON>(*dc)),
      PressControls(m_levels, m_nLevelCount, p, Painter<SKIN_RADIO>(*dc)),
      PressControls<SKIN_TOGGLE>(m_toggles, m_nToggleCount, p, nullptr)};
  if (pressed[0] || pressed[1] || pressed[2]) Host().CaptureMouse();
  // A press anywhere may also move the dialog.
  Host().BeginDrag(p);
}

void CAdvancedDlg::SetReduction(int value) {
  m_nReduction = std::clamp(value, 0, kReductionMax);
  m_sldUpper.SetPos(m_nReduction);
  m_sldLower.SetPos(m_nReduction);
  RedrawLabels();
}

void CAdvancedDlg::OnLButtonUp(ui::Point p, unsigned /*keys*/) {
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  for (int i = 0; i < m_nButtonCount; ++i) {
    const SKIN_BUTTON& b = m_buttons[i];
    if (!ReleaseClicks(b, p)) continue;
    DrawControl(*dc, b, Look::Normal);
    DrawControl(*dc, b, Look::Over);
    switch (i) {
      case 0: OnOK(); break;
      case 1: OnCancel(); break;
      case 3:
      case 5: SetReduction(m_sldUpper.GetPos() + 1); break;
      default: SetReduction(m_sldUpper.GetPos() - 1); break;
    }
  }
  for (int i = 0; i < m_nLevelCount; ++i) {
    SKIN_RADIO& r = m_levels[i];
    if (!ReleaseClicks(r, p)) continue;
    DrawMaskedBitmap(*dc, r.selectedImage, r.selectedImage, r.left, r.top);
    m_nChosenLevel = static_cast<uint8_t>(kLevelTable[i].code);
    for (int j = 0; j < m_nLevelCount; ++j) {
      m_levels[j].selected = j == i;
      if (j != i) DrawControl(*dc, m_levels[j], Look::Normal);
    }
    break;  // the selection moved: the other buttons are no longer pressed
  }
  for (SKIN_TOGGLE& t : m_toggles) {
    if (!ReleaseClicks(t, p)) continue;
    t.on = !t.on;
    DrawMaskedBitmap(*dc, t.on ? m_hToggleOn : m_hToggleOff, t.on ? m_hToggleOn : m_hToggleOff,
                     t.left, t.top);
  }
  Host().ReleaseMouse();
}

void CAdvancedDlg::OnDragStart() {
  // Moving the dialog is not a click: whatever the press armed falls back.
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  CancelPress(m_buttons, m_nButtonCount, Painter<SKIN_BUTTON>(*dc));
  CancelPress(m_levels, m_nLevelCount, Painter<SKIN_RADIO>(*dc));
  CancelPress<SKIN_TOGGLE>(m_toggles, m_nToggleCount, nullptr);
}

bool CAdvancedDlg::OnMessage(unsigned message, uintptr_t wParam, intptr_t /*lParam*/,
                             intptr_t& result) {
  if (message != WM_SLIDER_MOVING && message != WM_SLIDER_MOVED) return false;
  result = 0;
  if (P67()) return true;
  if (wParam == kIdUpperSlider) {
    m_nReduction = m_sldUpper.GetPos();
    m_sldLower.SetPos(m_nReduction);
  } else if (wParam == kIdLowerSlider) {
    m_nReduction = m_sldLower.GetPos();
    m_sldUpper.SetPos(m_nReduction);
  }
  RedrawLabels();
  return true;
}

}  // namespace zor
