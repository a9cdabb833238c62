#include "ui/image_canvas.h"

#include "ui/mask.h"

namespace zor::ui {

namespace {

// An off-screen ImageCanvas that copies its picture into the parent image when destroyed.
class OffscreenImageCanvas : public ImageCanvas {
 public:
  OffscreenImageCanvas(Image& parent, Point parentOrigin, const Rect& area, bool copyBackground,
                       ColorRef background)
      : ImageCanvas(m_surface, Point{area.left, area.top}, background),
        m_surface(area.Width(), area.Height(), PixelOf(background)),
        m_parent(parent),
        m_at{area.left - parentOrigin.x, area.top - parentOrigin.y} {
    if (!copyBackground) return;
    for (int y = 0; y < m_surface.height; ++y)
      for (int x = 0; x < m_surface.width; ++x)
        if (parent.Contains(m_at.x + x, m_at.y + y))
          m_surface.At(x, y) = parent.At(m_at.x + x, m_at.y + y);
  }
  ~OffscreenImageCanvas() override { CopyPixels(m_parent, m_surface, m_at.x, m_at.y); }

 private:
  Image m_surface;
  Image& m_parent;
  Point m_at;
};

}  // namespace

void ImageCanvas::Copy(const Image& image, int x, int y) {
  CopyPixels(m_target, image, x - m_origin.x, y - m_origin.y);
}

void ImageCanvas::MaskedCopy(const Image& image, const Image& mask, int x, int y) {
  MaskedCopyPixels(m_target, image, mask, x - m_origin.x, y - m_origin.y);
}

void ImageCanvas::Stretch(const Image& image, const Rect& from, const Rect& to) {
  const Rect shifted{to.left - m_origin.x, to.top - m_origin.y, to.right - m_origin.x,
                     to.bottom - m_origin.y};
  StretchPixels(m_target, shifted, image, from);
}

void ImageCanvas::Fill(const Rect& area, ColorRef color) {
  const Rect shifted{area.left - m_origin.x, area.top - m_origin.y, area.right - m_origin.x,
                     area.bottom - m_origin.y};
  FillPixels(m_target, shifted, PixelOf(color));
}

Rect ImageCanvas::ClipBox() const {
  return Rect{m_origin.x, m_origin.y, m_origin.x + m_target.width, m_origin.y + m_target.height};
}

std::unique_ptr<Canvas> ImageCanvas::BeginOffscreen(const Rect& area, bool copyBackground) {
  return std::make_unique<OffscreenImageCanvas>(m_target, m_origin, area, copyBackground,
                                                m_background);
}

void ImageCanvas::FocusRect(const Rect& area) {
  const Rect shifted{area.left - m_origin.x, area.top - m_origin.y, area.right - m_origin.x,
                     area.bottom - m_origin.y};
  FocusRectPixels(m_target, shifted);
}

Image ImageCanvas::ReadPixels(const Rect& area) {
  return CropPixels(m_target, Rect{area.left - m_origin.x, area.top - m_origin.y,
                                   area.right - m_origin.x, area.bottom - m_origin.y});
}

}  // namespace zor::ui
