#include "gui/controls/advanced_dlg.h"

#include <algorithm>
#include <cstdio>

#include "gui/controls/drawing.h"
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

constexpr unsigned kLangSimplifiedChinese = 2052;
constexpr unsigned kLangTraditionalChinese = 1028;

struct ButtonSpec {
  const char* normal;
  const char* over;
  const char* down;
  int left;
  int top;  // 0: the SAVE and QUIT row
};
const ButtonSpec kButtons[6] = {
    {"SAVE_N", "SAVE_O", "SAVE_D", 378, 0}, {"QUIT_N", "QUIT_O", "QUIT_D", 482, 0},
    {"L_N", "L_O", "L_D", 114, 85},         {"R_N", "R_O", "R_D", 254, 85},
    {"L_N", "L_O", "L_D", 376, 245},        {"R_N", "R_O", "R_D", 516, 245},
};
constexpr int kCommandRowTopP67 = 303;
constexpr int kCommandRowTop = 346;

struct LevelSpec {
  const char* normal;
  const char* over;
  const char* down;
  const char* selected;
  int top;
  uint8_t code;
};
const LevelSpec kLevels[3] = {
    {"LV1_N", "LV1_O", "LV1_D", "LV1_dis", 73, 5},
    {"LV2_N", "LV2_O", "LV2_D", "LV2_dis", 89, 3},
    {"LV3_N", "LV3_O", "LV3_D", "LV3_dis", 106, 1},
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
  if (code == 3) return 3;
  if (code == 1) return 1;
  return 5;
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
  const int chosen = m_nChosenLevel == 5 ? 0 : m_nChosenLevel == 3 ? 1 : 2;
  m_levels[chosen].selected = 1;

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
    const ButtonSpec& entry = kButtons[i];
    // Each picture is its own mask: every draw is a plain copy.
    b.normalImage = b.normalMask = skin.GetBitmap(entry.normal);
    b.overImage = b.overMask = skin.GetBitmap(entry.over);
    b.downImage = b.downMask = skin.GetBitmap(entry.down);
    b.left = entry.left;
    b.top = entry.top ? entry.top : row;
    b.right = b.left + (b.normalImage ? b.normalImage->width : 0);
    b.bottom = b.top + (b.normalImage ? b.normalImage->height : 0);
    b.hover = 0;
    b.disabled = 0;
    b.latched = 0;
  }
  for (int i = 0; i < 3; ++i) {
    SKIN_RADIO& r = m_levels[i];
    const LevelSpec& entry = kLevels[i];
    r.normalImage = skin.GetBitmap(entry.normal);
    r.overImage = skin.GetBitmap(entry.over);
    r.downImage = skin.GetBitmap(entry.down);
    r.selectedImage = skin.GetBitmap(entry.selected);
    r.left = P67() ? kLevelLeftP67 : kLevelLeft;
    r.top = entry.top;
    r.right = r.left + (r.normalImage ? r.normalImage->width : 0);
    r.bottom = r.top + (r.normalImage ? r.normalImage->height : 0);
    r.hover = 0;
    r.disabled = 0;
    r.selected = 0;
  }
  const int platform = m_start.x58 ? kX58 : m_start.p55 ? kP55 : P67() ? kP67 : kOther;
  const int w = m_hToggleOn ? m_hToggleOn->width : 0;
  const int h = m_hToggleOn ? m_hToggleOn->height : 0;
  for (int i = 0; i < kToggleCount; ++i) {
    SKIN_TOGGLE& t = m_toggles[i];
    t.left = kToggles[i].left[platform];
    t.top = P67() ? kToggles[i].topP67 : kToggles[i].top;
    t.right = t.left + w;
    t.bottom = t.top + h;
    t.hover = 0;
    t.disabled = 0;
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

void CAdvancedDlg::Copy(const ui::Bitmap& image, int x, int y) {
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  DrawMaskedBitmap(*dc, image, image, x, y);
}

void CAdvancedDlg::OnMouseMove(ui::Point p, unsigned keys) {
  if (keys == ui::kMouseLeft || keys == ui::kMouseRight || keys == ui::kMouseMiddle) return;
  for (int i = 0; i < m_nButtonCount; ++i) {
    SKIN_BUTTON& b = m_buttons[i];
    if (b.latched) continue;
    if (IsOnButton(b, p.x, p.y)) {
      Host().SetCursor(ui::Cursor::Hand);
      if (!b.hover) {
        Copy(b.overImage, b.left, b.top);
        b.hover = 1;
      }
    } else if (b.hover) {
      Copy(b.normalImage, b.left, b.top);
      Host().SetCursor(ui::Cursor::Arrow);
      b.hover = 0;
    }
  }
  for (SKIN_RADIO& r : m_levels) {
    if (r.selected) continue;
    if (IsOnButton(r, p.x, p.y)) {
      Host().SetCursor(ui::Cursor::Hand);
      Copy(r.overImage, r.left, r.top);
      r.hover = 1;
    } else if (r.hover) {
      Copy(r.normalImage, r.left, r.top);
      Host().SetCursor(ui::Cursor::Arrow);
      r.hover = 0;
    }
  }
  for (SKIN_TOGGLE& t : m_toggles) {
    if (t.locked) continue;
    if (IsOnButton(t, p.x, p.y)) {
      Host().SetCursor(ui::Cursor::Hand);
      t.hover = 1;
    } else if (t.hover) {
      Host().SetCursor(ui::Cursor::Arrow);
      t.hover = 0;
    }
  }
}

void CAdvancedDlg::OnLButtonDown(ui::Point p, unsigned /*keys*/) {
  for (int i = 0; i < m_nButtonCount; ++i) {
    const SKIN_BUTTON& b = m_buttons[i];
    if (b.latched || b.disabled || !IsOnButton(b, p.x, p.y)) continue;
    Host().CaptureMouse();
    Copy(b.downImage, b.left, b.top);
  }
  for (const SKIN_RADIO& r : m_levels) {
    if (r.selected || r.disabled || !IsOnButton(r, p.x, p.y)) continue;
    Host().CaptureMouse();
    Copy(r.downImage, r.left, r.top);
  }
  for (const SKIN_TOGGLE& t : m_toggles) {
    if (t.locked || t.disabled || !IsOnButton(t, p.x, p.y)) continue;
    Host().CaptureMouse();
  }
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
  for (int i = 0; i < m_nButtonCount; ++i) {
    const SKIN_BUTTON& b = m_buttons[i];
    if (b.disabled || b.latched || !b.hover || !IsOnButton(b, p.x, p.y)) continue;
    Copy(b.normalImage, b.left, b.top);
    Copy(b.overImage, b.left, b.top);
    switch (i) {
      case 0: OnOK(); break;
      case 1: OnCancel(); break;
      case 3:
      case 5: SetReduction(m_sldUpper.GetPos() + 1); break;
      default: SetReduction(m_sldUpper.GetPos() - 1); break;
    }
  }
  for (int i = 0; i < 3; ++i) {
    SKIN_RADIO& r = m_levels[i];
    if (r.disabled || r.selected || !r.hover || !IsOnButton(r, p.x, p.y)) continue;
    Copy(r.selectedImage, r.left, r.top);
    m_nChosenLevel = kLevels[i].code;
    for (int j = 0; j < 3; ++j) {
      m_levels[j].selected = j == i;
      if (j != i) Copy(m_levels[j].normalImage, m_levels[j].left, m_levels[j].top);
    }
    break;  // the selection moved: the other buttons are no longer pressed
  }
  for (SKIN_TOGGLE& t : m_toggles) {
    if (t.locked || t.disabled || !t.hover || !IsOnButton(t, p.x, p.y)) continue;
    t.on = !t.on;
    Copy(t.on ? m_hToggleOn : m_hToggleOff, t.left, t.top);
  }
  Host().ReleaseMouse();
}

void CAdvancedDlg::OnDragStart() {
  // Moving the dialog is not a click: whatever the press armed falls back.
  for (int i = 0; i < m_nButtonCount; ++i) {
    SKIN_BUTTON& b = m_buttons[i];
    if (b.latched) continue;
    if (b.hover) Copy(b.normalImage, b.left, b.top);
    b.hover = 0;
  }
  for (SKIN_RADIO& r : m_levels) {
    if (!r.selected && r.hover) Copy(r.normalImage, r.left, r.top);
    r.hover = 0;
  }
  for (SKIN_TOGGLE& t : m_toggles) t.hover = 0;
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
