#include "gui/controls/skin_slider.h"

#include <algorithm>
#include <cstdlib>

#include "gui/controls/memory_dc.h"

namespace zor {

int PosToPixel(const SliderGeometry& g, int p) {
  const int half = g.thumbWidth / 2;
  if (g.max <= g.min || g.trackWidth <= g.thumbWidth) return half;
  const double share = static_cast<double>(p - g.min) / static_cast<double>(g.max - g.min);
  return half + static_cast<int>(static_cast<double>(g.trackWidth - g.thumbWidth) * share);
}

int PixelToPos(const SliderGeometry& g, int x) {
  const int half = g.thumbWidth / 2;
  if (g.max <= g.min || g.trackWidth <= g.thumbWidth) return g.min;
  const double share =
      static_cast<double>(x - half) / static_cast<double>(g.trackWidth - g.thumbWidth);
  return static_cast<int>(static_cast<double>(g.min) + share * static_cast<double>(g.max - g.min));
}

SliderGeometry CSkinSlider::Geometry() const {
  return SliderGeometry{m_nMin, m_nMax, m_nTrackWidth, m_nThumbWidth};
}

bool CSkinSlider::Load(UINT id, BOOL transparent, ui::ColorRef key, int keyX, int keyY,
                       ui::Image& image, ui::Image& mask) {
  const ui::Bitmap bitmap = Host().ProgramResources()->GetBitmap(static_cast<int>(id));
  if (!bitmap) return false;
  if (transparent) {
    ui::KeyedImage keyed = ui::MakeKeyMask(*bitmap, key, keyX, keyY);
    image = std::move(keyed.image);
    mask = std::move(keyed.mask);
  } else {
    image = *bitmap;
    mask = ui::Image();
  }
  return true;
}

void CSkinSlider::ReleaseTrack() {
  m_bmTrack = m_bmTrackMask = m_bmFill = m_bmFillMask = ui::Image();
  m_bFilled = 0;
  m_bHasTrack = 0;
}

void CSkinSlider::ReleaseThumb() {
  m_bmThumb = m_bmThumbMask = m_bmThumbPressed = m_bmThumbPressedMask = ui::Image();
  m_bmUnderThumb = ui::Image();
  m_nSavedX = m_nSavedY = -1;
  m_bThumbPressedImage = 0;
  m_bHasThumb = 0;
}

BOOL CSkinSlider::SetTrackBitmaps(UINT track, UINT fill, BOOL transparent, ui::ColorRef key,
                                  int keyX, int keyY) {
  if (track == 0) {
    ReleaseTrack();
    return 1;
  }
  ReleaseTrack();
  if (!Load(track, transparent, key, keyX, keyY, m_bmTrack, m_bmTrackMask)) return 0;
  if (fill != 0 && !Load(fill, transparent, key, keyX, keyY, m_bmFill, m_bmFillMask)) {
    ReleaseTrack();
    return 0;
  }
  m_bFilled = fill != 0;
  m_nTrackWidth = m_bmTrack.width;
  m_nTrackHeight = m_bmTrack.height;
  const ui::Rect r = Host().WindowRect();
  Host().MoveWindow(ui::Rect{r.left, r.top, r.left + m_nTrackWidth, r.top + m_nTrackHeight}, true);
  m_rcClient = ui::Rect{0, 0, m_nTrackWidth, m_nTrackHeight};
  m_bTrackTransparent = transparent;
  m_bHasTrack = 1;
  return 1;
}

BOOL CSkinSlider::SetThumbBitmaps(UINT thumb, UINT pressed, BOOL transparent, ui::ColorRef key,
                                  int keyX, int keyY) {
  ReleaseThumb();
  if (thumb == 0) return 1;
  if (!Load(thumb, transparent, key, keyX, keyY, m_bmThumb, m_bmThumbMask)) return 0;
  if (pressed != 0 &&
      !Load(pressed, transparent, key, keyX, keyY, m_bmThumbPressed, m_bmThumbPressedMask)) {
    ReleaseThumb();
    return 0;
  }
  m_bThumbPressedImage = pressed != 0;
  m_nThumbWidth = m_bmThumb.width;
  m_nThumbHeight = m_bmThumb.height;
  if (!m_bHasTrack) {
    const ui::Rect r = Host().WindowRect();
    m_rcClient = ui::Rect{0, 0, r.Width(), r.Height()};
    m_nTrackWidth = r.Width();
    m_nTrackHeight = r.Height();
  }
  m_bThumbTransparent = transparent;
  m_bHasThumb = 1;
  return 1;
}

void CSkinSlider::Invalidate() {
  if (HasHost()) Host().Invalidate();
}

void CSkinSlider::Post(unsigned message) {
  Host().PostToParent(message, static_cast<uintptr_t>(Host().ControlId()), m_nPos);
}

void CSkinSlider::SetRange(int min, int max, BOOL redraw) {
  m_nMin = min;
  m_nMax = max;
  if (redraw) Invalidate();
}

void CSkinSlider::SetPos(int pos) {
  pos = std::min(pos, m_nMax);
  pos = std::max(pos, m_nMin);
  m_nPos = pos;
  Invalidate();
}

void CSkinSlider::EnableSlider(BOOL enable) {
  m_bEnabled = enable;
  if (!enable && m_bDragging) {
    m_bDragging = 0;
    if (HasHost()) Host().ReleaseMouse();
  }
  Invalidate();
}

void CSkinSlider::ShowFocusRect(BOOL show, BOOL redraw) {
  m_bShowFocusRect = show;
  if (redraw) Invalidate();
}

namespace {

// Columns [from, from + width) of a picture at (x, 0), through its mask when it has one.
void DrawPart(ui::Canvas& dc, const ui::Image& image, const ui::Image& mask, int from, int width,
              int x) {
  if (width <= 0 || image.width <= 0) return;
  const ui::Rect part{from, 0, from + width, image.height};
  if (mask.width > 0) {
    dc.MaskedCopy(ui::CropPixels(image, part), ui::CropPixels(mask, part), x, 0);
  } else {
    dc.Stretch(image, part, ui::Rect{x, 0, x + width, image.height});
  }
}

}  // namespace

void CSkinSlider::OnPaint(ui::Canvas& canvas) {
  const int p = PosToPixel(Geometry(), m_nPos);
  const int half = Half();
  const bool fromScreen = m_bTrackTransparent || !m_bHasTrack;
  CMemoryDC memory(canvas, &m_rcClient, m_bTrackTransparent);
  ui::Canvas* dc = &memory;

  // The surface starts as what is on screen only when the track lets it show; only then is the
  // old frame there to be taken off.
  if (m_bFocusRectOn && m_bTrackTransparent) dc->FocusRect(m_rcClient);
  m_bFocusRectOn = 0;

  if (m_bHasTrack) {
    if (m_bFilled && m_bEnabled) {
      DrawPart(*dc, m_bmTrack, m_bmTrackMask, p, m_nTrackWidth - p, p);
      DrawPart(*dc, m_bmFill, m_bmFillMask, 0, p, 0);
    } else {
      DrawPart(*dc, m_bmTrack, m_bmTrackMask, 0, m_bmTrack.width, 0);
    }
  }
  if (m_nSavedX != -1) {
    dc->Copy(m_bmUnderThumb, m_nSavedX, m_nSavedY);
    m_nSavedX = -1;
  }
  if (m_bHasThumb && m_bEnabled) {
    const bool pressed = m_bDragging && m_bThumbPressedImage;
    const ui::Image& image = pressed ? m_bmThumbPressed : m_bmThumb;
    const ui::Image& mask = pressed ? m_bmThumbPressedMask : m_bmThumbMask;
    const int x = p - half;
    if (fromScreen) {
      m_bmUnderThumb = dc->ReadPixels(ui::Rect{x, 0, x + m_nThumbWidth, m_nThumbHeight});
      m_nSavedX = x;
      m_nSavedY = 0;
    }
    DrawPart(*dc, image, mask, 0, image.width, x);
  }
  if (m_bShowFocusRect && m_bFocused && m_bEnabled) {
    dc->FocusRect(m_rcClient);
    m_bFocusRectOn = 1;
  }
}

void CSkinSlider::OnLButtonDown(ui::Point p, unsigned /*keys*/) {
  if (!m_bEnabled) return;
  Host().CaptureMouse();
  Host().SetFocus();
  m_bDragging = 1;
  const int centre = PosToPixel(Geometry(), m_nPos);
  m_nGrabOffset = std::abs(p.x - centre) > Half() ? 0 : p.x - centre;
  DragStep(p.x);
  Invalidate();
}

void CSkinSlider::DragStep(int x) {
  const int half = Half();
  int d = x - m_nGrabOffset;
  d = std::max(d, half);
  d = std::min(d, m_nTrackWidth - half);
  if (d == PosToPixel(Geometry(), m_nPos)) return;
  const int before = m_nPos;
  SetPos(PixelToPos(Geometry(), d));
  if (m_nPos != before) Post(WM_SLIDER_MOVING);
}

void CSkinSlider::OnMouseMove(ui::Point p, unsigned keys) {
  // A move without the left button is no drag, even if the release was missed.
  if (!m_bDragging || !m_bEnabled || !(keys & ui::kMouseLeft)) return;
  DragStep(p.x);
}

void CSkinSlider::OnLButtonUp(ui::Point /*p*/, unsigned /*keys*/) {
  if (!m_bEnabled) return;
  m_bDragging = 0;  // first, so the capture's loss is not taken for an interrupted drag
  Host().ReleaseMouse();
  Invalidate();
  Post(WM_SLIDER_MOVED);
}

void CSkinSlider::OnCaptureLost() {
  // Another window took the mouse mid-drag: the drag ends where it was, and the parent hears so.
  if (!m_bDragging) return;
  m_bDragging = 0;
  Invalidate();
  Post(WM_SLIDER_MOVED);
}

unsigned CSkinSlider::OnGetDlgCode() {
  // Tab still moves the focus on; every other key comes here.
  if (Host().IsKeyDown(ui::kKeyTab)) return 0;
  return ui::kDlgCodeWantAllKeys;
}

void CSkinSlider::OnKeyDown(uintptr_t key) {
  if (!m_bEnabled) return;
  int pos = m_nPos;
  switch (key) {
    case ui::kKeyPrior: pos = m_nPos - m_nPage; break;
    case ui::kKeyNext: pos = m_nPos + m_nPage; break;
    case ui::kKeyEnd: pos = m_nMax; break;
    case ui::kKeyHome: pos = m_nMin; break;
    case ui::kKeyLeft:
    case ui::kKeyUp: pos = m_nPos - 1; break;
    case ui::kKeyRight:
    case ui::kKeyDown: pos = m_nPos + 1; break;
    default: return;
  }
  SetPos(pos);
  Post(WM_SLIDER_MOVED);
}

void CSkinSlider::OnSetFocus() {
  m_bFocused = 1;
  Invalidate();
}

void CSkinSlider::OnKillFocus() {
  m_bFocused = 0;
  Invalidate();
}

void CSkinSlider::OnDestroy() {
  ReleaseTrack();
  ReleaseThumb();
}

}  // namespace zor
