// A cairo drawing surface with the few shapes and text styles the skins are made of.
#pragma once

#include <cairo.h>

#include <string>

#include "skins/generator/image.h"

namespace zor::skins {

struct Rgb {
  double r, g, b;
};

constexpr Rgb Hex(uint32_t c) {
  return {double((c >> 16) & 0xFF) / 255.0, double((c >> 8) & 0xFF) / 255.0,
          double(c & 0xFF) / 255.0};
}

enum class Script { Latin, SimplifiedChinese, TraditionalChinese };

struct Font {
  double size = 10;
  bool bold = true;
  Script script = Script::Latin;
  bool mono = false;
};

enum class Align { Left, Center, Right };

class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* Cr() const { return m_cr; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }

  // Starts this canvas as a copy of `other` (same size), for drawing one element over a scene.
  void CopyFrom(const Canvas& other);
  // Pastes an opaque picture at (x, y).
  void DrawImage(const Image& image, int x, int y);
  void SetColor(Rgb c, double alpha = 1.0);
  void FillRect(double x, double y, double w, double h, Rgb c, double alpha = 1.0);
  void VerticalGradient(double x, double y, double w, double h, Rgb top, Rgb bottom);
  void RoundRectPath(double x, double y, double w, double h, double r);
  // Text whose baseline starts (Left), centres (Center) or ends (Right) at x.
  void Text(const std::string& utf8, const Font& font, double x, double baseline, Rgb c,
            Align align = Align::Left, double alpha = 1.0);
  double TextWidth(const std::string& utf8, const Font& font);

  // Opaque pixels; anything less than half covered becomes magenta, partly covered pixels are
  // settled over `edge` so no pinkish fringe is left around the shape.
  Image Snapshot(Rgb edge = {0, 0, 0}) const;
  // Coverage of every pixel (0-255), for masks.
  std::vector<uint8_t> Alpha() const;

 private:
  void SelectFont(const Font& font);

  int m_width;
  int m_height;
  cairo_surface_t* m_surface;
  cairo_t* m_cr;
};

}  // namespace zor::skins
