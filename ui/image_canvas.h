// A canvas that draws into an Image: the off-screen surface of the portable layer and the frame
// buffer of the test host. It renders no text (it has no fonts) and owns no window.
#pragma once

#include "ui/canvas.h"

namespace zor::ui {

class ImageCanvas : public Canvas {
 public:
  // Draws into target, whose pixel (0, 0) is the client point origin.
  explicit ImageCanvas(Image& target, Point origin = Point{}, ColorRef background = 0xFFFFFF)
      : m_target(target), m_origin(origin), m_background(background) {}

  void Copy(const Image& image, int x, int y) override;
  void MaskedCopy(const Image& image, const Image& mask, int x, int y) override;
  void Stretch(const Image& image, const Rect& from, const Rect& to) override;
  void Fill(const Rect& area, ColorRef color) override;
  void SetTextColor(ColorRef) override {}
  void SetTransparentText(bool) override {}
  void Text(int, int, const std::string&) override {}
  void SetWindowRegion(const RegionPtr&, bool) override {}
  Rect ClipBox() const override;
  std::unique_ptr<Canvas> BeginOffscreen(const Rect& area, bool copyBackground) override;

  // Text, focus rectangle and pixel reads
  void TextInRect(const Rect&, const std::string&, unsigned, FontHandle) override {}
  void FocusRect(const Rect& area) override;
  Image ReadPixels(const Rect& area) override;

 private:
  Image& m_target;
  Point m_origin;
  ColorRef m_background;
};

}  // namespace zor::ui
