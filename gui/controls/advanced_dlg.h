// The skinned advanced settings dialog: the level, nine on/off options, a reduction value shown by
// two linked sliders with arrow buttons, and the disk and monitor time-outs. It opens on the state
// it is given and stores nothing itself; its members are read after a SAVE.
#pragma once

#include <cstdint>
#include <string>

#include "gui/controls/skin_button.h"
#include "gui/controls/level_table.h"
#include "gui/controls/skin_combo.h"
#include "gui/controls/skin_radio.h"
#include "gui/controls/skin_slider.h"
#include "gui/settings/advanced_command.h"
#include "ui/window.h"

namespace zor {

// Control ids of the dialog's children.
constexpr int kIdUpperSlider = 1002;
constexpr int kIdLowerSlider = 1003;
constexpr int kIdDiskList = 1004;
constexpr int kIdMonitorList = 1005;

// Option toggles, in the order of m_toggles.
enum AdvancedToggle {
  kToggleNb = 0, kToggleSb, kToggleVga, kToggleMem, kToggleSf, kToggleVtt, kToggleLps,
  kToggleThro, kTogglePch, kToggleCount
};
// The [SETTING] key each toggle is stored under.
extern const char* const kToggleKeys[kToggleCount];

constexpr int kReductionMax = 30;
constexpr int kTimeoutItems = 8;
// The time-out lists' texts and minutes, index for index.
extern const char* const kDiskTimeoutTexts[kTimeoutItems];
extern const char* const kMonitorTimeoutTexts[kTimeoutItems];
extern const int kTimeoutMinutes[kTimeoutItems];

// The skin library of the dialog for a system language.
const char* AdvancedSkinLibrary(unsigned language);
// A level code as the dialog shows and stores it: 5, 3 or 1 (anything else counts as 5).
uint8_t NormalisedLevel(int code);

class CAdvancedDlg : public ui::Window {
 public:
  explicit CAdvancedDlg(const AdvancedStart& start) : m_start(start) {}

  bool OnInit() override;
  void OnPaint(ui::Canvas& canvas) override;
  void OnMouseMove(ui::Point p, unsigned keys) override;
  void OnLButtonDown(ui::Point p, unsigned keys) override;
  void OnLButtonUp(ui::Point p, unsigned keys) override;
  void OnDragStart() override;
  bool OnMessage(unsigned message, uintptr_t wParam, intptr_t lParam, intptr_t& result) override;

  ui::ColorRef m_crKey = 0;
  ui::ColorRef m_crTolerance = 0;
  ui::Bitmap m_hBackground;
  ui::Bitmap m_hToggleOff;
  ui::Bitmap m_hToggleOn;
  ui::Bitmap m_hLabelBar;
  int m_nButtonCount = 0;
  SKIN_BUTTON m_buttons[6];  // SAVE, QUIT, upper left, upper right, lower left, lower right
  int m_nLevelCount = kLevelButtons;
  SKIN_RADIO m_levels[kLevelButtons];  // LV1, LV2, LV3
  int m_nToggleCount = kToggleCount;
  SKIN_TOGGLE m_toggles[kToggleCount];
  uint8_t m_nChosenLevel = 5;
  int m_nReduction = 0;
  CSkinSlider m_sldUpper;
  CSkinSlider m_sldLower;
  CSkinComboBox m_cboDisk;
  CSkinComboBox m_cboMonitor;
  // The skin library could not be loaded: the dialog did not open and the program must end.
  bool m_bSkinMissing = false;

 private:
  bool P67() const { return m_start.p67; }
  void SetUpButtons(const ui::ResourceLibrary& skin);
  void SetUpToggles();
  void SetUpSlider(CSkinSlider& slider, int id, const ui::Rect& rect);
  void SetUpList(CSkinComboBox& list, int id, const char* const texts[], int minutes,
                 bool disk);
  void DrawLabels(ui::Canvas& canvas);
  void RedrawLabels();
  void SetReduction(int value);

  AdvancedStart m_start;
  ui::RegionPtr m_region;
};

}  // namespace zor
