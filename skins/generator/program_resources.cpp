// The program's own small pictures: the slider (130 thumb, 131 track), the time-out lists
// (132-134 face, 135-138 list border) and the application icon 128.

#include <cmath>

#include "skins/generator/app_icon.h"
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

  AddAppIcon(lib, 128, color::kGreen);
  return lib;
}

}  // namespace zor::skins
