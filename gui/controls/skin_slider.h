// A horizontal slider drawn from bitmaps: a track, optionally a filled track left of the thumb,
// and a thumb. It takes the mouse and the keyboard and posts every change to its parent.
#pragma once

#include <cstdint>

#include "ui/mask.h"
#include "ui/window.h"

namespace zor {

using UINT = unsigned;
using BOOL = int;

// Posted to the parent with wParam = the slider's control id and lParam = the new position.
constexpr unsigned WM_SLIDER_MOVING = 0x28D1;  // during a drag, when the position changes
constexpr unsigned WM_SLIDER_MOVED = 0x28D2;   // at the release and after every handled key

// The thumb's travel: a range and a track of W pixels with a thumb of TW pixels.
struct SliderGeometry {
  int min = 0;
  int max = 100;
  int trackWidth = 0;
  int thumbWidth = 0;
};
// The thumb centre for position p, and the position for centre pixel x. An empty range or a
// track no wider than the thumb leaves no travel: the centre stays at half a thumb, the position
// at the minimum.
int PosToPixel(const SliderGeometry& g, int p);
int PixelToPos(const SliderGeometry& g, int x);

class CSkinSlider : public ui::Window {
 public:
  BOOL SetTrackBitmaps(UINT track, UINT fill, BOOL transparent, ui::ColorRef key, int keyX,
                       int keyY);
  BOOL SetThumbBitmaps(UINT thumb, UINT pressed, BOOL transparent, ui::ColorRef key, int keyX,
                       int keyY);
  void SetRange(int min, int max, BOOL redraw);
  void SetPos(int pos);
  int GetPos() const { return m_nPos; }
  void EnableSlider(BOOL enable);
  void ShowFocusRect(BOOL show, BOOL redraw);

  void OnPaint(ui::Canvas& canvas) override;
  void OnLButtonDown(ui::Point p, unsigned keys) override;
  void OnMouseMove(ui::Point p, unsigned keys) override;
  void OnLButtonUp(ui::Point p, unsigned keys) override;
  unsigned OnGetDlgCode() override;
  void OnKeyDown(uintptr_t key) override;
  void OnKillFocus() override;
  void OnSetFocus() override;
  void OnCaptureLost() override;
  void OnDestroy() override;

  int m_nMax = 100;
  int m_nMin = 0;
  int m_nPos = 0;
  int m_nPage = 20;
  ui::Rect m_rcClient;
  int m_nTrackWidth = 0;
  int m_nTrackHeight = 0;
  int m_nThumbWidth = 0;
  int m_nThumbHeight = 0;
  int m_nSavedX = -1;
  int m_nSavedY = -1;
  int m_nGrabOffset = 0;
  BOOL m_bFilled = 0;
  BOOL m_bThumbPressedImage = 0;
  BOOL m_bTrackTransparent = 0;
  BOOL m_bThumbTransparent = 0;
  BOOL m_bHasThumb = 0;
  BOOL m_bHasTrack = 0;
  BOOL m_bDragging = 0;
  BOOL m_bFocused = 0;
  BOOL m_bFocusRectOn = 0;
  BOOL m_bShowFocusRect = 1;
  BOOL m_bEnabled = 1;
  // Each picture is kept with its key pixels blackened, beside its mask.
  ui::Image m_bmTrack, m_bmTrackMask;
  ui::Image m_bmFill, m_bmFillMask;
  ui::Image m_bmThumb, m_bmThumbMask;
  ui::Image m_bmThumbPressed, m_bmThumbPressedMask;
  ui::Image m_bmUnderThumb;

 private:
  SliderGeometry Geometry() const;
  int Half() const { return m_nThumbWidth / 2; }
  void DragStep(int x);
  void Post(unsigned message);
  void Invalidate();
  // A picture by id with its mask (built only when transparent); false when it does not load.
  bool Load(UINT id, BOOL transparent, ui::ColorRef key, int keyX, int keyY, ui::Image& image,
            ui::Image& mask);
  void ReleaseTrack();
  void ReleaseThumb();
};

}  // namespace zor
