#include "skins/generator/app_icon.h"

#include <algorithm>

#include "skins/generator/canvas.h"
#include "skins/generator/widgets.h"

namespace zor::skins {
namespace {

void DrawIcon(Canvas& c, double size, Rgb leaf) {
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
  DrawPowerLeaf(c, size / 2, size / 2, 10.5 * s, leaf);
}

}  // namespace

void AddAppIcon(ResourceLibrary& lib, int id, Rgb leaf) {
  std::vector<Image> sizes;
  std::vector<std::vector<uint8_t>> alphas;
  for (int size : {32, 24, 16}) {
    Canvas c(size, size);
    DrawIcon(c, size, leaf);
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
  lib.AddIcon(id, std::move(sizes), std::move(alphas));
}

}  // namespace zor::skins
