// Where a window draws: the window's client area during a paint or between paints, or an
// off-screen surface. Coordinates are the window's client pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/geometry.h"
#include "ui/image.h"
#include "ui/region.h"

namespace zor::ui {

// A font of the window system (a list's font); 0 is the surface's own font.
using FontHandle = uintptr_t;

// Text formats of TextInRect (the platform's values).
constexpr unsigned kTextLeft = 0x0000;
constexpr unsigned kTextVCenter = 0x0004;
constexpr unsigned kTextSingleLine = 0x0020;

class Canvas {
 public:
  virtual ~Canvas() = default;

  // The image at (x, y) in its own size.
  virtual void Copy(const Image& image, int x, int y) = 0;
  // (destination AND mask) OR image at (x, y), in the image's size.
  virtual void MaskedCopy(const Image& image, const Image& mask, int x, int y) = 0;
  // The part `from` of the image into the rectangle `to`, scaled.
  virtual void Stretch(const Image& image, const Rect& from, const Rect& to) = 0;
  virtual void Fill(const Rect& area, ColorRef color) = 0;

  // Text in the surface's font; colour and background mode stay set for later text.
  virtual void SetTextColor(ColorRef color) = 0;
  virtual void SetTransparentText(bool transparent) = 0;
  virtual void Text(int x, int y, const std::string& text) = 0;

  // Gives the window the shape of region (the window keeps showing only its pixels).
  virtual void SetWindowRegion(const RegionPtr& region, bool redraw) = 0;

  // The area this canvas may draw in, in its coordinates.
  virtual Rect ClipBox() const = 0;
  // A surface that collects drawing for `area` and delivers it here, in one step, when it is
  // destroyed. It starts with this canvas's contents of the area, or with its background colour.
  virtual std::unique_ptr<Canvas> BeginOffscreen(const Rect& area, bool copyBackground) = 0;

  // Text, focus rectangle and pixel reads
  // Text inside area, formatted (kText...), in font (0: the surface's font); colour and
  // background mode as set.
  virtual void TextInRect(const Rect& area, const std::string& text, unsigned format,
                          FontHandle font) = 0;
  // The dotted focus frame, drawn by XOR: drawing it again removes it.
  virtual void FocusRect(const Rect& area) = 0;
  // What the surface holds in area; pixels outside the surface read as black.
  virtual Image ReadPixels(const Rect& area) = 0;
};

}  // namespace zor::ui
