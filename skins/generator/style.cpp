#include "skins/generator/style.h"

#include <cmath>

namespace zor::skins {

void WindowShell(Canvas& c, const std::function<void()>& shape,
                 const std::function<void()>& notch) {
  cairo_t* cr = c.Cr();
  cairo_push_group(cr);
  shape();
  c.SetColor({0, 0, 0});
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  notch();
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_pattern_t* silhouette = cairo_pop_group(cr);

  // Gradient body through the silhouette.
  cairo_pattern_t* body = cairo_pattern_create_linear(0, 0, 0, c.Height());
  cairo_pattern_add_color_stop_rgb(body, 0, color::kBodyTop.r, color::kBodyTop.g,
                                   color::kBodyTop.b);
  cairo_pattern_add_color_stop_rgb(body, 1, color::kBodyBottom.r, color::kBodyBottom.g,
                                   color::kBodyBottom.b);
  cairo_set_source(cr, body);
  cairo_mask(cr, silhouette);
  cairo_pattern_destroy(body);

  // Rim: found on the silhouette's pixels, so where two shapes join no seam is drawn. The outer
  // pixel row goes dark; a light line runs one pixel inside every top-facing edge.
  const int w = c.Width(), h = c.Height();
  cairo_surface_t* sil = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  cairo_t* sc = cairo_create(sil);
  cairo_set_source(sc, silhouette);
  cairo_paint(sc);
  cairo_destroy(sc);
  cairo_surface_flush(sil);
  const unsigned char* sd = cairo_image_surface_get_data(sil);
  const int ss = cairo_image_surface_get_stride(sil);
  auto inside = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && sd[y * ss + x] >= 128;
  };
  auto edge = [&](int x, int y) {
    return inside(x, y) &&
           (!inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1));
  };
  cairo_surface_t* rim = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  cairo_surface_t* light = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  cairo_surface_flush(rim);
  cairo_surface_flush(light);
  unsigned char* rd = cairo_image_surface_get_data(rim);
  unsigned char* ld = cairo_image_surface_get_data(light);
  const int rs = cairo_image_surface_get_stride(rim);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (edge(x, y)) {
        rd[y * rs + x] = 255;
      } else if (inside(x, y) && edge(x, y - 1) && !inside(x, y - 2)) {
        ld[y * rs + x] = 255;
      }
    }
  }
  cairo_surface_mark_dirty(rim);
  cairo_surface_mark_dirty(light);
  c.SetColor(color::kRim);
  cairo_mask_surface(cr, rim, 0, 0);
  c.SetColor({1, 1, 1}, 0.14);
  cairo_mask_surface(cr, light, 0, 0);
  cairo_surface_destroy(light);
  cairo_surface_destroy(rim);
  cairo_surface_destroy(sil);
  cairo_pattern_destroy(silhouette);
}

void Panel(Canvas& c, double x, double y, double w, double h) {
  cairo_t* cr = c.Cr();
  c.RoundRectPath(x, y, w, h, 6);
  c.SetColor(color::kPanelEdge);
  cairo_fill(cr);
  c.RoundRectPath(x + 1, y + 1, w - 2, h - 2, 5);
  c.SetColor(color::kPanel);
  cairo_fill(cr);
  // Light catches the lower lip of the recess.
  cairo_move_to(cr, x + 6, y + h - 0.5);
  cairo_line_to(cr, x + w - 6, y + h - 0.5);
  cairo_set_line_width(cr, 1);
  c.SetColor({1, 1, 1}, 0.08);
  cairo_stroke(cr);
}

Rgb LabelColor(State s) {
  switch (s) {
    case State::Over: return {1, 1, 1};
    case State::Down: return color::kGreen;
    case State::Selected: return Hex(0x06230F);
    case State::Disabled: return color::kTextFaint;
    case State::Normal: break;
  }
  return color::kText;
}

void ButtonFace(Canvas& c, double x, double y, double w, double h, State s, bool primary) {
  cairo_t* cr = c.Cr();
  Rgb top = Hex(0x3D444B), bottom = Hex(0x292E34), edge = Hex(0x0B0D0F);
  double light = 0.16;
  switch (s) {
    case State::Over:
      top = Hex(0x4A535B);
      bottom = Hex(0x333A41);
      edge = color::kGreen;
      break;
    case State::Down:
      top = Hex(0x181B1F);
      bottom = Hex(0x23282D);
      edge = color::kGreenDeep;
      light = 0.0;
      break;
    case State::Selected:
      top = Hex(0x5CF09A);
      bottom = Hex(0x1AA457);
      edge = Hex(0x0A3F20);
      light = 0.35;
      break;
    case State::Disabled:
      top = Hex(0x262B30);
      bottom = Hex(0x202428);
      edge = Hex(0x121417);
      light = 0.04;
      break;
    case State::Normal:
      if (primary) {
        edge = Hex(0x1C7A45);
      }
      break;
  }
  const double r = std::min(6.0, h / 2);
  c.RoundRectPath(x + 0.5, y + 0.5, w - 1, h - 1, r);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
  cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  cairo_set_line_width(cr, 1);
  c.SetColor(edge);
  cairo_stroke(cr);
  if (light > 0) {
    cairo_move_to(cr, x + r, y + 1.5);
    cairo_line_to(cr, x + w - r, y + 1.5);
    c.SetColor({1, 1, 1}, light);
    cairo_stroke(cr);
  }
  if (s == State::Over) {
    // Soft green glow inside the edge.
    c.RoundRectPath(x + 1.5, y + 1.5, w - 3, h - 3, r - 1);
    c.SetColor(color::kGreen, 0.25);
    cairo_stroke(cr);
  }
}

void Caption(Canvas& c, const std::string& text, Script script, double x, double baseline,
             Rgb color, Align align) {
  if (script != Script::Latin) {
    c.Text(text, Font{11, true, script}, x, baseline + 1, color, align);
    return;
  }
  const Font f{8.5, true, Script::Latin};
  // Letter-spaced capitals: place the glyphs one by one.
  const double spacing = 1.2;
  double width = 0;
  for (char ch : text) {
    width += c.TextWidth(std::string(1, ch), f) + spacing;
  }
  width -= spacing;
  if (align == Align::Center) {
    x -= width / 2;
  } else if (align == Align::Right) {
    x -= width;
  }
  for (char ch : text) {
    const std::string s(1, ch);
    c.Text(s, f, x, baseline, color);
    x += c.TextWidth(s, f) + spacing;
  }
}

void GlowDot(Canvas& c, double cx, double cy, double r, Rgb color, double glow) {
  cairo_t* cr = c.Cr();
  if (glow > 0) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, r * 0.5, cx, cy, r * 2.6);
    cairo_pattern_add_color_stop_rgba(p, 0, color.r, color.g, color.b, 0.55 * glow);
    cairo_pattern_add_color_stop_rgba(p, 1, color.r, color.g, color.b, 0);
    cairo_arc(cr, cx, cy, r * 2.6, 0, 2 * M_PI);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
  }
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  c.SetColor(color);
  cairo_fill(cr);
}

}  // namespace zor::skins
