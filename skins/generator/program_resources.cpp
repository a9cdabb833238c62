// The program's own small pictures: the slider (130 thumb, 131 track), the time-out lists
// (132-134 face, 135-138 list border) and the application icon 128.

#include <cmath>

#include "skins/generator/skins.h"
#include "skins/generator/style.h"
#include "skins/generator/widgets.h"

namespace zor::skins {
namespace {

Image Fill(int w, int h, uint32_t c) { return Image(w, h, c); }

// Combo face pieces: a light frame around the white text field, dark outer line.
Image FaceLeft() {
  Image img = Fill(4, 21, 0xC3CAD1);
  for (int y = 0; y < 21; ++y) {
    img.At(0, y) = 0x0B0D0F;
    img.At(3, y) = (y >= 3 && y < 18) ? 0x8E979F : 0xC3CAD1;
  }
  for (int x = 0; x < 4; ++x) {
    img.At(x, 0) = 0x0B0D0F;
    img.At(x, 20) = 0x0B0D0F;
  }
  img.At(0, 0) = 0x16191D;
  img.At(0, 20) = 0x16191D;
  return img;
}

Image FaceMiddle() {
  Image img = Fill(20, 21, 0xC3CAD1);
  for (int x = 0; x < 20; ++x) {
    img.At(x, 0) = 0x0B0D0F;
    img.At(x, 1) = 0xE4E8EC;
    img.At(x, 2) = 0x8E979F;
    img.At(x, 18) = 0xE4E8EC;
    img.At(x, 20) = 0x0B0D0F;
  }
  return img;
}

Image FaceRight() {
  Canvas c(20, 21);
  c.FillRect(0, 0, 20, 21, color::kRim);
  c.RoundRectPath(0.5, 0.5, 19, 20, 3);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 21);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.36, 0.88, 0.55);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.08, 0.58, 0.30);
  cairo_set_source(c.Cr(), p);
  cairo_fill(c.Cr());
  cairo_pattern_destroy(p);
  cairo_t* cr = c.Cr();
  cairo_move_to(cr, 6, 8.5);
  cairo_line_to(cr, 10, 12.5);
  cairo_line_to(cr, 14, 8.5);
  cairo_set_line_width(cr, 2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  c.SetColor(Hex(0x06230F));
  cairo_stroke(cr);
  return c.Snapshot();
}

// List border: the dark outer line and a green inner line, to be stretched along the list.
Image ListSide(bool left) {
  Image img(4, 17);
  const uint32_t cols[4] = {0x0B0D0F, 0x15A152, 0xFFFFFF, 0xFFFFFF};
  for (int y = 0; y < 17; ++y) {
    for (int x = 0; x < 4; ++x) {
      img.At(x, y) = cols[left ? x : 3 - x];
    }
  }
  return img;
}

Image ListEdge(bool top) {
  Image img(4, 3);
  const uint32_t rows[3] = {0x0B0D0F, 0x15A152, 0xFFFFFF};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      img.At(x, y) = rows[top ? y : 2 - y];
    }
  }
  return img;
}

void DrawIcon(Canvas& c, double size) {
  cairo_t* cr = c.Cr();
  const double s = size / 32.0;
  c.RoundRectPath(1 * s, 1 * s, 30 * s, 30 * s, 8 * s);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, size);
  cairo_pattern_add_color_stop_rgb(p, 0, color::kBodyTop.r, color::kBodyTop.g, color::kBodyTop.b);
  cairo_pattern_add_color_stop_rgb(p, 1, color::kBodyBottom.r, color::kBodyBottom.g,
                                   color::kBodyBottom.b);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  cairo_set_line_width(cr, std::max(1.0, 1.2 * s));
  c.SetColor(color::kGreenDeep);
  cairo_stroke(cr);
  DrawPowerLeaf(c, size / 2, size / 2, 10.5 * s, color::kGreen);
}

}  // namespace

ResourceLibrary BuildProgramResources() {
  ResourceLibrary lib("program");
  lib.Add(130, SliderThumb());
  lib.Add(131, SliderTrack());
  lib.Add(132, FaceMiddle());
  lib.Add(133, FaceLeft());
  lib.Add(134, FaceRight());
  lib.Add(135, ListEdge(false));
  lib.Add(136, ListSide(true));
  lib.Add(137, ListSide(false));
  lib.Add(138, ListEdge(true));

  std::vector<Image> sizes;
  std::vector<std::vector<uint8_t>> alphas;
  for (int size : {32, 24, 16}) {
    Canvas c(size, size);
    DrawIcon(c, size);
    // Keep the real colours at the anti-aliased edge; the alpha channel carries the blend.
    Image img(size, size);
    cairo_surface_t* s = cairo_get_target(c.Cr());
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < size; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < size; ++x) {
        const uint32_t px = row[x];
        const uint32_t a = px >> 24;
        auto un = [&](int shift) {
          return a ? std::min(255u, ((px >> shift) & 0xFF) * 255 / a) : 0u;
        };
        img.At(x, y) = (un(16) << 16) | (un(8) << 8) | un(0);
      }
    }
    sizes.push_back(img);
    alphas.push_back(c.Alpha());
  }
  lib.SetIcon(128, std::move(sizes), std::move(alphas));
  return lib;
}

}  // namespace zor::skins
