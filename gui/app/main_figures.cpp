// The main window's running figures: every 100 ms the phase indicators, every second the figures
// the service publishes in INFO.DAT, drawn as digit pictures, or a notice when the service has
// stopped and they are no longer live.
#include <algorithm>
#include <cmath>
#include <string>

#include "common/firmware_layout.h"
#include "common/info_keys.h"
#include "common/service_name.h"
#include "gui/app/digit_strip.h"
#include "gui/app/main_dialog.h"
#include "gui/app/main_layout.h"
#include "gui/controls/drawing.h"
#include "platform/service_manager.h"

namespace zor {

namespace {

constexpr uint32_t kPortLockWaitMs = 25;
constexpr uint32_t kHighestPort = 0xFFFF;
constexpr ui::ColorRef kNoticeColor = ui::Rgb(255, 200, 64);

// Active phases from a mask of consecutive low bits; anything else counts as all six.
int MaskToCount(uint32_t mask) {
  switch (mask) {
    case 1:
      return 1;
    case 3:
      return 2;
    case 7:
      return 3;
    case 15:
      return 4;
    case 31:
      return 5;
    default:
      return 6;
  }
}

}  // namespace

uint16_t CMainDialog::ControlFlags() const { return m_state.m_pEs.U16(fw::et::kControlFlags); }

uint16_t CMainDialog::StatusFlags() const { return m_state.m_pEs.U16(fw::et::kStatusFlags); }

void CMainDialog::OnTimer(int id) {
  if (id == kPhaseTimer) {
    DrawPhases();
  } else if (id == kFigureTimer) {
    CountPhases();
    ReadFigures();
    if (!Host().IsIconic()) {
      const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
      if (m_state.m_bSavingOn && m_state.m_bPowerMeter) DrawSavings(*dc);
      DrawCpuStrip(*dc);
    }
  }
}

void CMainDialog::CountPhases() {
  const MemoryView& es = m_state.m_pEs;
  uint32_t value = 0;
  bool fromProbe = false;
  // A probe is described when a profile is set and the word at 46 is 0. Otherwise (also for a
  // profile without a probe, which names no source) the stored count is the best there is.
  if (es.U8(fw::et::kProfileNumber) != 0 && es.U16(fw::et::kProbeFlag) == 0) {
    const uint32_t port = es.U32(fw::et::kProbePort);
    if (port <= kHighestPort && m_hwk) {
      // The probe shares the sensor chip's ports with the service and other hardware tools.
      std::unique_ptr<NamedMutexLock> lock;
      if (m_portLock && m_portLock->Valid()) {
        lock = std::make_unique<NamedMutexLock>(*m_portLock, kPortLockWaitMs);
        if (!lock->Held()) return;  // busy: keep the last count
      }
      const uint8_t read = m_hwk->qv_inp(port);
      if ((read & es.U8(fw::et::kProbeMask)) == es.U8(fw::et::kProbeValue)) {
        value = es.U16(fw::et::kProbePhases);
        m_hwk->qv_outp(port, read);
        fromProbe = true;
      }
    }
  }
  if (!fromProbe) {
    value = m_state.m_bAltTable
                ? static_cast<uint32_t>(ProfileInt(
                      m_info->Read(info::kValue, info::kPhase, "0", info::kPathCapacity)))
                : es.U16(fw::et::kPhaseMask);
  }
  if (m_state.m_bAltTable) {
    const uint32_t factor = m_state.m_nPhases == 24 ? 4 : m_state.m_nPhases == 12 ? 2 : 1;
    m_nActivePhases = static_cast<uint8_t>(value * factor);
  } else {
    int count = MaskToCount(value);
    if (m_state.m_nPhases != 6) count *= 2;
    m_nActivePhases = static_cast<uint8_t>(count);
  }
}

void CMainDialog::DrawPhases() {
  if (!m_state.m_bSavingOn || Host().IsIconic()) return;
  const std::unique_ptr<ui::Canvas> dc = Host().ClientCanvas();
  const auto draw = [&](int i, bool lit, int x, int y) {
    DrawAt(*dc, lit ? m_aPst[m_abPhaseFrame[i] % 5] : m_aPst[0], x, y);
  };
  const int phases = m_state.m_nPhases;
  if (m_state.m_b3DPower) {
    const int half = m_nActivePhases / 2;
    const uint16_t flags = ControlFlags();
    const bool on = (flags & fw::cf::k3dPower) != 0;
    const int rowMode = (flags & fw::cf::kRowModeMask) >> fw::cf::kRowModeShift;
    if (on && rowMode == 3) return;  // nothing drawn, no frame advances
    if (!on || rowMode == 0) {
      m_bTopRowLit = m_bBottomRowLit = true;
      for (int i = 0; i < phases && i < layout::kPhaseColumns; ++i) {
        draw(i, i < half, layout::PhaseX(i), layout::kPhaseTopY);
        draw(i, i < half, layout::PhaseX(i), layout::kPhaseBottomY);
      }
    } else {
      const bool top = rowMode == 1;
      bool& otherLit = top ? m_bBottomRowLit : m_bTopRowLit;
      bool& thisLit = top ? m_bTopRowLit : m_bBottomRowLit;
      const int otherY = top ? layout::kPhaseBottomY : layout::kPhaseTopY;
      if (otherLit) {
        otherLit = false;
        thisLit = true;
        for (int i = 0; i < layout::kPhaseColumns; ++i) DrawAt(*dc, m_aPst[0], layout::PhaseX(i), otherY);
      }
      const int y = top ? layout::kPhaseTopY : layout::kPhaseBottomY;
      for (int i = 0; i < phases && i < layout::kPhaseColumns; ++i) draw(i, i < half, layout::PhaseX(i), y);
    }
  } else if (m_state.m_bTwentyFourPhase) {
    for (int i = 0; i < phases && i < 24; ++i) {
      const bool bottom = i >= layout::kPhaseColumns;
      draw(i, i < m_nActivePhases, layout::PhaseX(bottom ? i - layout::kPhaseColumns : i),
           bottom ? layout::kPhaseBottomY : layout::kPhaseTopY);
    }
  } else {
    const int shown = m_state.m_bSixPhase ? 6 : layout::kPhaseColumns;
    for (int i = 0; i < shown; ++i) draw(i, i < m_nActivePhases, layout::PhaseX(i), layout::kPhaseTopY);
  }
  for (int i = 0; i < phases && i < 24; ++i)
    m_abPhaseFrame[i] = static_cast<uint8_t>(m_abPhaseFrame[i] % 4 + 1);
}

void CMainDialog::ReadFigures() {
  std::string figures;
  const auto text = [&](const char* key, size_t capacity) {
    const std::string value = m_info->Read(info::kValue, key, "0", capacity);
    figures += value + ";";
    return value;
  };
  m_dCpuMax = ProfileReal(text(info::kCpuMax, info::kPathCapacity));
  m_dCurrent = ProfileReal(text(info::kCurrent, info::kPathCapacity));
  m_dTotal = ProfileReal(text(info::kTotal, info::kPathCapacity));
  const std::string saveTime = text(info::kSaveTime, info::kSettingCapacity);
  text(info::kUsage, info::kSettingCapacity);
  text(info::kVout, info::kSettingCapacity);
  if (m_state.m_bSavingOn && m_state.m_bPowerMeter) m_nSaveTime = ProfileInt(saveTime);
  m_liveness.Tick(figures, [this] { return ServiceStopped(); });
}

bool CMainDialog::ServiceStopped() {
  const std::unique_ptr<ServiceManagerHandle> manager = m_ports.services.Open();
  if (!manager) return false;  // cannot tell
  const std::unique_ptr<ServiceHandle> service = manager->OpenNamed(kServiceName);
  if (!service) {
    bool known = true;
    return manager->Knows(kServiceName, &known) && !known;
  }
  uint32_t state = 0;
  if (!service->QueryState(&state)) return false;
  return state == kServiceStopped || state == kServiceStopPending;
}

void CMainDialog::DrawSavings(ui::Canvas& dc) {
  const bool stale = m_liveness.Stale();
  if (m_state.m_bMeterMode) {
    // The panel first, so a shorter number leaves no digit of the longer one behind.
    DrawAt(dc, m_aPsn[11], layout::kFiguresPanel.x, layout::kFiguresPanel.y);
    if (stale) return;  // the notice goes on the empty panel with the processor strip
    DrawRightStrip(dc, m_aPsn, FigureText(m_dCurrent, "%.3f"));
    const RunningTime t = SplitSaveTime(m_nSaveTime);
    DrawTwoDigits(dc, m_aTotal, t.days, layout::kDaysX, layout::kTimeY);
    DrawTwoDigits(dc, m_aTotal, t.hours, layout::kHoursX, layout::kTimeY);
    DrawTwoDigits(dc, m_aTotal, t.minutes, layout::kMinutesX, layout::kTimeY);
  } else {
    DrawAt(dc, m_aTotalNum[11], layout::kFiguresPanel.x, layout::kFiguresPanel.y);
    if (stale) return;  // the notice goes on the empty panel with the processor strip
    DrawRightStrip(dc, m_aTotalNum, FigureText(m_dTotal, "%.3f"));
    DrawSinceDate(dc, m_aSince, m_state.m_stStart);
  }
}

void CMainDialog::DrawCpuStrip(ui::Canvas& dc) {
  const ui::Bitmap* font = m_state.m_bSavingOn ? m_aCpuOn : m_aCpuOff;
  if (!m_liveness.Stale()) return DrawLeftStrip(dc, font, FigureText(m_dCpuMax, "%f"));
  // No number at all rather than a frozen one: the strip's place gets its background back.
  const ui::Bitmap& background = m_state.m_bSavingOn || !m_bmpMainOff ? m_bmpMainOn : m_bmpMainOff;
  if (background && font[0]) {
    int bottom = layout::kLeftStripY + font[0]->height;
    if (font[10]) bottom = std::max(bottom, layout::kLeftStripY + layout::kPointDy + font[10]->height);
    const ui::Rect strip{layout::kLeftStripX + layout::kPointDx, layout::kLeftStripY,
                         layout::kLeftStripLastX + font[0]->width, bottom};
    // Cut here and copied whole: the piece lands exactly where the digits were.
    ui::Image piece(strip.Width(), strip.Height());
    ui::StretchPixels(piece, {0, 0, piece.width, piece.height}, *background, strip);
    dc.Copy(piece, strip.left, strip.top);
  }
  DrawServiceNotice(dc);
}

void CMainDialog::DrawServiceNotice(ui::Canvas& dc) {
  dc.SetTextColor(kNoticeColor);
  dc.SetTransparentText(true);
  dc.Text(layout::kServiceNotice.x, layout::kServiceNotice.y, kServiceNotRunningText);
}

}  // namespace zor
