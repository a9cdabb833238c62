// The main window's skin: the library by language, the pictures, the buttons, and the paint.
#include <cstdio>

#include "common/firmware_layout.h"
#include "gui/app/main_dialog.h"
#include "gui/app/main_layout.h"
#include "gui/controls/drawing.h"
#include "gui/controls/language_ids.h"
#include "gui/controls/level_table.h"
#include "platform/program_paths.h"

namespace zor {

namespace {

constexpr char kSkinFailureText[] = "Load resource library failure!!";
constexpr char kSkinFailureCaption[] = "Worry";
constexpr char kDemoBoardText[] = "demo board";
constexpr ui::ColorRef kDemoBoardColor = ui::Rgb(255, 200, 64);

const char* SkinLibraryName(unsigned language) {
  if (language == kLangSimplifiedChinese) return "SC.dll";
  if (language == kLangTraditionalChinese) return "TC.dll";
  return "ENG.dll";
}

ui::Bitmap Named(const ui::ResourceLibrary& skin, const char* format, int n) {
  char name[32];
  std::snprintf(name, sizeof name, format, n);
  return skin.GetBitmap(name);
}

// Buttons 2 to 6 use each picture as its own mask: an opaque copy.
constexpr ButtonPictureNames kPushSpecs[layout::kPushButtons] = {
    {"OFF_nb", "OFF_NW", "OFF_OB", "OFF_OW", "OFF_DB", "OFF_DW"},
    {"ON_NB", "ON_NW", "ON_OB", "ON_OW", "ON_DB", "ON_DW"},
    {"CLOSE_N", "CLOSE_N", "CLOSE_O", "CLOSE_O", "CLOSE_D", "CLOSE_D"},
    {"MINI_N", "MINI_N", "MINI_O", "MINI_O", "MINI_D", "MINI_D"},
    {"HELP_N", "HELP_N", "HELP_O", "HELP_O", "HELP_D", "HELP_D"},
    {"UPDATE_N", "UPDATE_N", "UPDATE_O", "UPDATE_O", "UPDATE_D", "UPDATE_D"},
    {"RESET_N", "RESET_N", "RESET_O", "RESET_O", "RESET_D", "RESET_D"},
};

// LED and 3D power have only their off (normal) and on (over) pictures.
constexpr RadioPictureNames kSelectorSpecs[layout::kSelectors] = {
    {"METER_N", "METER_O", "METER_D", "METER_DIS"}, {"TOTAL_N", "TOTAL_O", "TOTAL_D", "TOTAL_DIS"},
    {"L1_N", "L1_O", "L1_D", "L1_DIS"},             {"L2_N", "L2_O", "L2_D", "L2_DIS"},
    {"L3_N", "L3_O", "L3_D", "L3_DIS"},             {"L4_N", "L4_O", "L4_D", "L4_DIS"},
    {"LED_OFF", "LED_ON", nullptr, nullptr},        {"P3D_OFF_N", "P3D_ON_N", nullptr, nullptr},
};

}  // namespace

void CMainDialog::LoadSkin() {
  // By full path from the program's folder: never a library of that name from elsewhere.
  const std::string path =
      JoinPath(m_state.m_strAppDir, SkinLibraryName(Host().SystemLanguage()));
  std::unique_ptr<ui::ResourceLibrary> skin = Host().OpenLibrary(path);
  if (skin) {
    m_bmpMainOn = skin->GetBitmap("Main_on");
    m_bmpMainOff = skin->GetBitmap("Main_off");
  }
  if (!skin || !m_bmpMainOn) return;
  ui::Rect rect = Host().WindowRect();
  rect.right = rect.left + m_bmpMainOn->width;
  rect.bottom = rect.top + m_bmpMainOn->height;
  Host().MoveWindow(rect, true);

  for (int n = 0; n <= 10; ++n) {
    m_aCpuOn[n] = Named(*skin, "CPU_ON_%d", n);
    m_aCpuOff[n] = Named(*skin, "CPU_OFF_%d", n);
    m_aPsn[n] = Named(*skin, "PSN_%d", n);
    m_aTotalNum[n] = Named(*skin, "TOTALNUM_%d", n);
    if (n < 10) {
      m_aSince[n] = Named(*skin, "SINCE_%d", n);
      m_aTotal[n] = Named(*skin, "TOTAL_%d", n);
    }
  }
  m_aTotalNum[11] = skin->GetBitmap("TOTALNUM_11");
  m_aPsn[11] = skin->GetBitmap("PSN_11");
  for (int n = 10; n <= 12; ++n) m_aSince[n] = Named(*skin, "SINCE_%d", n);
  for (int n = 0; n <= 4; ++n) m_aPst[n] = Named(*skin, "PST_%d", n);
  for (int n = 0; n <= 6; ++n) m_aBar[n] = Named(*skin, "BAR_%d", n);
  SetUpButtons(*skin);
  m_region = MakeRegionFromBitmap(m_bmpMainOn, m_state.m_crKey, m_state.m_crTolerance);
  m_bSkinLoaded = true;
}

bool CMainDialog::SkinLoaded() {
  // Without its background the window would be invisible yet hold the single-instance marker.
  if (m_bSkinLoaded) return true;
  m_ports.boxes.Show(kSkinFailureText, kSkinFailureCaption, MessageIcon::None);
  return Exit(1);
}

void CMainDialog::SetUpButtons(const ui::ResourceLibrary& skin) {
  for (int i = 0; i < layout::kPushButtons; ++i) {
    SKIN_BUTTON& b = m_aPush[i];
    LoadPictures(b, skin, kPushSpecs[i]);
    PlaceControl(b, layout::kPushPlaces[i].x, layout::kPushPlaces[i].y, b.normalImage);
    b.latched = 0;
  }
  m_bmpResetX = skin.GetBitmap("RESET_X");
  m_aPush[layout::kOn].latched = 1;
  m_aPush[layout::kReset].latched = 1;

  const bool chinese = Host().SystemLanguage() == kLangTraditionalChinese ||
                       Host().SystemLanguage() == kLangSimplifiedChinese;
  for (int i = 0; i < layout::kSelectors; ++i) {
    SKIN_RADIO& b = m_aSelect[i];
    LoadPictures(b, skin, kSelectorSpecs[i]);
    const int top = i == layout::kPower3D && chinese ? layout::kPower3DChineseY
                                                     : layout::kSelectorPlaces[i].y;
    PlaceControl(b, layout::kSelectorPlaces[i].x, top, b.normalImage);
    b.selected = 1;
  }
  m_aSelect[layout::kLed].selected = 0;
}

void CMainDialog::DrawPush(ui::Canvas& dc, int index, const ui::Bitmap& image,
                           const ui::Bitmap& mask) {
  DrawMaskedBitmap(dc, image, mask, m_aPush[index].left, m_aPush[index].top);
}

void CMainDialog::DrawAt(ui::Canvas& dc, const ui::Bitmap& image, int x, int y) {
  DrawMaskedBitmap(dc, image, image, x, y);
}

void CMainDialog::DrawAtButton(ui::Canvas& dc, const SKIN_RADIO& button, const ui::Bitmap& image) {
  DrawAt(dc, image, button.left, button.top);
}

int CMainDialog::LevelSegments() const {
  if (m_state.m_bAdvanced) return 6;
  const int button = LevelButton(m_state.m_nLevel);
  return button < 0 ? 0 : kLevelTable[button].barSegments;
}

void CMainDialog::DrawLevelBar(ui::Canvas& dc, int segments) {
  DrawAt(dc, m_aBar[0], layout::kBarX[0], layout::kBarY);
  for (int k = 1; k <= segments && k <= 6; ++k) DrawAt(dc, m_aBar[k], layout::kBarX[k], layout::kBarY);
}

void CMainDialog::DrawPower3D(ui::Canvas& dc, bool on) {
  const SKIN_RADIO& b = m_aSelect[layout::kPower3D];
  DrawAtButton(dc, b, on ? b.overImage : b.normalImage);
}

void CMainDialog::OnPaint(ui::Canvas& dc) {
  if (m_region) dc.SetWindowRegion(m_region, true);
  const ui::Bitmap& background = m_state.m_bSavingOn || !m_bmpMainOff ? m_bmpMainOn : m_bmpMainOff;
  if (background) dc.Copy(*background, 0, 0);
  for (int i = 0; i < layout::kPushButtons; ++i) {
    if (!m_aPush[i].latched) DrawPush(dc, i, m_aPush[i].normalImage, m_aPush[i].normalMask);
  }
  const SKIN_RADIO& led = m_aSelect[layout::kLed];
  DrawAtButton(dc, led, m_state.m_bLedOn ? led.overImage : led.normalImage);
  if (m_state.m_b3DPower && !m_aSelect[layout::kPower3D].selected)
    DrawPower3D(dc, (ControlFlags() & fw::cf::k3dPower) != 0);
  if (m_state.m_bSavingOn) {
    const SKIN_RADIO& meter = m_aSelect[layout::kMeter];
    const SKIN_RADIO& total = m_aSelect[layout::kTotal];
    if (m_state.m_bMeterMode) {
      DrawAt(dc, m_aPsn[11], layout::kFiguresPanel.x, layout::kFiguresPanel.y);
      DrawAtButton(dc, meter, meter.selectedImage);
      DrawAtButton(dc, total, total.normalImage);
    } else {
      DrawAt(dc, m_aTotalNum[11], layout::kFiguresPanel.x, layout::kFiguresPanel.y);
      DrawAtButton(dc, total, total.selectedImage);
      DrawAtButton(dc, meter, meter.normalImage);
    }
    for (int i = layout::kL1; i <= layout::kL4; ++i)
      DrawAtButton(dc, m_aSelect[i], m_aSelect[i].normalImage);
    if (!m_state.m_bAdvanced) {
      const int button = LevelButton(m_state.m_nLevel);
      if (button >= 0) {
        const SKIN_RADIO& chosen = m_aSelect[layout::kL1 + button];
        DrawAtButton(dc, chosen, chosen.selectedImage);
      }
    }
    DrawLevelBar(dc, LevelSegments());
  }
  DrawCpuStrip(dc);
  if (m_bDemoBoard) {
    dc.SetTextColor(kDemoBoardColor);
    dc.SetTransparentText(true);
    dc.Text(layout::kDemoBoardLabel.x, layout::kDemoBoardLabel.y, kDemoBoardText);
  }
}

}  // namespace zor
