// The main window's mouse: hover, press and release of the skinned buttons, and what each does.
#include "common/firmware_layout.h"
#include "common/info_keys.h"
#include "gui/app/main_dialog.h"
#include "gui/app/main_layout.h"
#include "gui/controls/drawing.h"
#include "gui/controls/level_table.h"
#include "platform/program_paths.h"

namespace zor {

namespace {

bool OnlyOneButtonHeld(unsigned keys) {
  return keys == ui::kMouseLeft || keys == ui::kMouseRight || keys == ui::kMouseMiddle;
}

// LED and 3D power have no hover, pressed or chosen pictures of their own.
bool HasStatePictures(int selector) {
  return selector != layout::kLed && selector != layout::kPower3D;
}

}  // namespace

DrawLook<SKIN_RADIO> CMainDialog::SelectorPainter(ui::Canvas& dc) {
  return [this, &dc](const SKIN_RADIO& b, Look look) {
    if (HasStatePictures(static_cast<int>(&b - m_aSelect))) DrawControl(dc, b, look);
  };
}

void CMainDialog::OnMouseMove(ui::Point p, unsigned keys) {
  // With a button held the pictures stay as they are (a press or a drag is under way).
  if (OnlyOneButtonHeld(keys)) return;
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  const HoverResult push = HoverControls(m_aPush, layout::kPushButtons, p, OverRedraw::OnArriving,
                                         OffRedraw::OnLeaving, Painter<SKIN_BUTTON>(*dc));
  const HoverResult selector =
      m_state.m_bSavingOn ? HoverControls(m_aSelect, layout::kSelectors, p, OverRedraw::EveryMove,
                                          OffRedraw::OnLeaving, SelectorPainter(*dc))
                          : HoverResult::None;
  for (HoverResult hover : {push, selector}) {
    if (hover == HoverResult::OnButton) Host().SetCursor(ui::Cursor::Hand);
    if (hover == HoverResult::LeftButton) Host().SetCursor(ui::Cursor::Arrow);
  }
}

void CMainDialog::OnLButtonDown(ui::Point p, unsigned /*keys*/) {
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  // Selectors take a press whether or not saving is on: only `selected` keeps them out.
  const bool push = PressControls(m_aPush, layout::kPushButtons, p, Painter<SKIN_BUTTON>(*dc));
  const bool selector = PressControls(m_aSelect, layout::kSelectors, p, SelectorPainter(*dc));
  if (push || selector) Host().CaptureMouse();
  // A press anywhere may also move the window.
  Host().BeginDrag(p);
}

void CMainDialog::OnDragStart() {
  // Moving the window is not a click: the pressed button falls back as if the pointer had left.
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  CancelPress(m_aPush, layout::kPushButtons, Painter<SKIN_BUTTON>(*dc));
  CancelPress(m_aSelect, layout::kSelectors, SelectorPainter(*dc));
}

void CMainDialog::OnLButtonUp(ui::Point p, unsigned /*keys*/) {
  // Once closing has begun the window takes no command: the user's settings are being given back.
  if (m_bClosing) {
    Host().ReleaseMouse();
    return;
  }
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  for (int i = 0; i < layout::kPushButtons; ++i) {
    SKIN_BUTTON& b = m_aPush[i];
    if (!ReleaseClicks(b, p)) continue;
    DrawControl(*dc, b, Look::Normal);
    DrawControl(*dc, b, Look::Over);
    switch (i) {
      case layout::kOff:
        SwitchOn(*dc);
        // ON lies in OFF's place and is now the face: it would take this same release and
        // switch saving straight off again.
        ++i;
        break;
      case layout::kOn:
        SwitchOff(*dc);
        break;
      case layout::kClose:
        Host().ReleaseMouse();
        Close();
        return;
      case layout::kMinimise:
        Host().Minimise();
        break;
      case layout::kHelp:
        m_ports.shell.Open(JoinPath(m_state.m_strAppDir, "zor2_eng.chm"), "CHM");
        break;
      case layout::kUpdate:
        m_ports.shell.Open(JoinPath(m_state.m_strAppDir, "Updexe.exe"), "/zor2");
        break;
      case layout::kReset:
        // The service clears Current and SaveTime at its next write; the figures follow.
        m_info->Write(info::kValue, "cmd", "1");
        break;
      default:
        break;
    }
  }
  if (m_state.m_bSavingOn) {
    for (int i = 0; i < layout::kSelectors; ++i) {
      SKIN_RADIO& b = m_aSelect[i];
      if (!ReleaseClicks(b, p)) continue;
      if (HasStatePictures(i)) DrawAtButton(*dc, b, b.selectedImage);
      switch (i) {
        case layout::kMeter: {
          m_state.m_bMeterMode = true;
          b.selected = 1;
          m_aSelect[layout::kTotal].selected = 0;
          DrawAt(*dc, m_aPsn[11], layout::kFiguresPanel.x, layout::kFiguresPanel.y);
          DrawAtButton(*dc, m_aSelect[layout::kTotal], m_aSelect[layout::kTotal].normalImage);
          m_aPush[layout::kReset].latched = 0;
          DrawAt(*dc, m_aPush[layout::kReset].normalImage, m_aPush[layout::kReset].left,
                 m_aPush[layout::kReset].top);
          // One release is one choice: Total, just drawn released, does not take it too.
          ++i;
          break;
        }
        case layout::kTotal:
          m_state.m_bMeterMode = false;
          DrawAt(*dc, m_aTotalNum[11], layout::kFiguresPanel.x, layout::kFiguresPanel.y);
          m_aSelect[layout::kMeter].selected = 0;
          b.selected = 1;
          DrawAtButton(*dc, m_aSelect[layout::kMeter], m_aSelect[layout::kMeter].normalImage);
          m_aPush[layout::kReset].latched = 1;
          DrawAt(*dc, m_bmpResetX, m_aPush[layout::kReset].left, m_aPush[layout::kReset].top);
          break;
        case layout::kL1:
        case layout::kL2:
        case layout::kL3:
          ChooseLevel(*dc, i);
          break;
        case layout::kL4:
          ChooseAdvanced();
          break;
        case layout::kLed: {
          m_state.m_bLedOn = !m_state.m_bLedOn;
          const bool on = m_state.m_bLedOn;
          Post(kTaskOther, [on](SettingsControl& c) { return c.Firmware().SetLedBit(on) ? 1 : 0; });
          DrawAtButton(*dc, b, on ? b.overImage : b.normalImage);
          break;
        }
        case layout::kPower3D:
          // The picture follows once the firmware has answered.
          Post(kTaskPower3D, [](SettingsControl& c) { return c.Firmware().ReapplyAuto() ? 1 : 0; });
          break;
        default:
          break;
      }
    }
  }
  Host().ReleaseMouse();
}

void CMainDialog::SwitchOn(ui::Canvas& dc) {
  SKIN_BUTTON& on = m_aPush[layout::kOn];
  DrawPush(dc, layout::kOn, on.normalImage, on.normalMask);
  m_aPush[layout::kOff].latched = 1;
  on.latched = 0;
  m_aPush[layout::kReset].latched = 0;
  m_state.m_bSavingOn = true;
  Host().Invalidate();
  m_aSelect[layout::kMeter].selected = m_state.m_bMeterMode ? 1 : 0;
  m_aSelect[layout::kTotal].selected = m_state.m_bMeterMode ? 0 : 1;
  for (int i = layout::kL1; i <= layout::kL4; ++i) m_aSelect[i].selected = 0;
  const bool advanced = m_state.m_bAdvanced;
  const int level = m_state.m_nLevel;
  if (!advanced) {
    // A code that is none of the three shows as L3.
    const int button = LevelButton(level);
    m_aSelect[layout::kL1 + (button < 0 ? kLevelButtons - 1 : button)].selected = 1;
    m_state.m_bVgaSaving = level != fw::kLevelL1;
  }
  Post(kTaskSwitchOn, [level](SettingsControl& c) {
    MainState& s = c.State();
    s.m_bSavingOn = true;
    // Whether a set is in force is the worker's to know: it stored it.
    if (s.m_bAdvanced) {
      c.ApplyAdvancedSettings();
    } else {
      s.m_nLevel = static_cast<int16_t>(level);
      c.Rails().ApplyRails(level);
      s.m_bVgaSaving = level != fw::kLevelL1;
      c.Vendor().SetGraphicsClockSaving(s.m_bVgaSaving);
    }
    // Switching on toggles 3D power; twice when it is on, so that it ends as it was.
    if (s.m_pEs.U16(fw::et::kControlFlags) & fw::cf::k3dPower) {
      c.Firmware().SetBiosAuto(true, true);
      c.Firmware().SetBiosAuto(true, true);
    } else {
      c.Firmware().SetBiosAuto(true, false);
    }
    return (s.m_pEs.U16(fw::et::kControlFlags) & fw::cf::k3dPower) ? 1 : 0;
  });
}

void CMainDialog::SwitchOff(ui::Canvas& dc) {
  DrawPush(dc, layout::kOff, m_aPush[layout::kOff].normalImage, m_aPush[layout::kOff].normalMask);
  m_aPush[layout::kOff].latched = 0;
  m_aPush[layout::kOn].latched = 1;
  m_aPush[layout::kReset].latched = 1;
  m_state.m_bSavingOn = false;
  for (int i : {layout::kMeter, layout::kTotal, layout::kL1, layout::kL2, layout::kL3, layout::kL4,
                layout::kPower3D})
    m_aSelect[i].selected = 1;
  m_state.m_bVgaSaving = false;
  // Levels still waiting are moot once saving is off; the one in hand finishes first.
  if (m_worker) m_worker->DropPendingLevels();
  Post(kTaskOther, [](SettingsControl& c) {
    c.State().m_bSavingOn = false;
    c.Firmware().SetBiosAuto(false, false);
    c.State().m_bVgaSaving = false;
    c.Vendor().SetGraphicsClockSaving(false);
    c.Rails().ApplyRails(0);
    return 0;
  });
  Host().Invalidate();
}

void CMainDialog::ChooseLevel(ui::Canvas& dc, int index) {
  const int n = index - layout::kL1;
  ++m_nChoice;
  if (m_state.m_bAdvanced) {
    // Through the worker, after any set still being stored.
    InfoStore* info = m_info.get();
    Post(kTaskOther, [info](SettingsControl& c) {
      info->Write(info::kSetting, info::kAdv, "0");
      c.State().m_bAdvanced = false;
      return 0;
    });
    m_state.m_bAdvanced = false;
  }
  m_state.m_nLevel = static_cast<int16_t>(kLevelTable[n].code);
  for (int i = layout::kL1; i <= layout::kL4; ++i) {
    if (i == index) {
      m_aSelect[i].selected = 1;
    } else {
      m_aSelect[i].selected = 0;
      DrawAtButton(dc, m_aSelect[i], m_aSelect[i].normalImage);
    }
  }
  m_state.m_bVgaSaving = kLevelTable[n].code != fw::kLevelL1;
  if (m_worker) m_worker->RequestLevel(kLevelTable[n].code);
  DrawLevelBar(dc, kLevelTable[n].barSegments);
}

}  // namespace zor
