#include "skins/generator/canvas.h"

#include <algorithm>
#include <cmath>

namespace zor::skins {

Canvas::Canvas(int width, int height)
    : m_width(width),
      m_height(height),
      m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      m_cr(cairo_create(m_surface)) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  cairo_set_font_options(m_cr, options);
  cairo_font_options_destroy(options);
}

Canvas::~Canvas() {
  cairo_destroy(m_cr);
  cairo_surface_destroy(m_surface);
}

void Canvas::CopyFrom(const Canvas& other) {
  cairo_save(m_cr);
  cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(m_cr, other.m_surface, 0, 0);
  cairo_paint(m_cr);
  cairo_restore(m_cr);
}

void Canvas::DrawImage(const Image& image, int x, int y) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int row = 0; row < image.height; ++row) {
    auto* dst = reinterpret_cast<uint32_t*>(data + row * stride);
    for (int col = 0; col < image.width; ++col) {
      dst[col] = image.At(col, row);
    }
  }
  cairo_surface_mark_dirty(s);
  cairo_save(m_cr);
  cairo_set_source_surface(m_cr, s, x, y);
  cairo_rectangle(m_cr, x, y, image.width, image.height);
  cairo_fill(m_cr);
  cairo_restore(m_cr);
  cairo_surface_destroy(s);
}

void Canvas::SetColor(Rgb c, double alpha) { cairo_set_source_rgba(m_cr, c.r, c.g, c.b, alpha); }

void Canvas::FillRect(double x, double y, double w, double h, Rgb c, double alpha) {
  cairo_rectangle(m_cr, x, y, w, h);
  SetColor(c, alpha);
  cairo_fill(m_cr);
}

void Canvas::VerticalGradient(double x, double y, double w, double h, Rgb top, Rgb bottom) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
  cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
  cairo_rectangle(m_cr, x, y, w, h);
  cairo_set_source(m_cr, p);
  cairo_fill(m_cr);
  cairo_pattern_destroy(p);
}

void Canvas::RoundRectPath(double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(m_cr);
  cairo_arc(m_cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(m_cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(m_cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(m_cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(m_cr);
}

void Canvas::SelectFont(const Font& font) {
  const char* family = "DejaVu Sans";
  if (font.script == Script::SimplifiedChinese) {
    family = "Noto Sans CJK SC";
  } else if (font.script == Script::TraditionalChinese) {
    family = "Noto Sans CJK TC";
  } else if (font.mono) {
    family = "DejaVu Sans Mono";
  }
  cairo_select_font_face(m_cr, family, CAIRO_FONT_SLANT_NORMAL,
                         font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(m_cr, font.size);
}

double Canvas::TextWidth(const std::string& utf8, const Font& font) {
  SelectFont(font);
  cairo_text_extents_t ext;
  cairo_text_extents(m_cr, utf8.c_str(), &ext);
  return ext.x_advance;
}

void Canvas::Text(const std::string& utf8, const Font& font, double x, double baseline, Rgb c,
                  Align align, double alpha) {
  const double w = TextWidth(utf8, font);
  if (align == Align::Center) {
    x -= w / 2;
  } else if (align == Align::Right) {
    x -= w;
  }
  cairo_move_to(m_cr, std::round(x), baseline);
  SetColor(c, alpha);
  cairo_show_text(m_cr, utf8.c_str());
  cairo_new_path(m_cr);
}

Image Canvas::Snapshot(Rgb edge) const {
  cairo_surface_flush(m_surface);
  const unsigned char* data = cairo_image_surface_get_data(m_surface);
  const int stride = cairo_image_surface_get_stride(m_surface);
  Image out(m_width, m_height);
  for (int y = 0; y < m_height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = 0; x < m_width; ++x) {
      const uint32_t p = row[x];  // premultiplied ARGB
      const uint32_t a = p >> 24;
      if (a < 128) {
        out.At(x, y) = kMagenta;
        continue;
      }
      const double rest = 1.0 - double(a) / 255.0;
      auto channel = [&](int shift, double e) {
        const double v = double((p >> shift) & 0xFF) + e * 255.0 * rest;
        return uint32_t(std::clamp(std::lround(v), 0L, 255L));
      };
      uint32_t c = (channel(16, edge.r) << 16) | (channel(8, edge.g) << 8) | channel(0, edge.b);
      if (c == kMagenta) {
        c = 0xFF10FF;  // never let drawn content turn into the transparent key
      }
      out.At(x, y) = c;
    }
  }
  return out;
}

std::vector<uint8_t> Canvas::Alpha() const {
  cairo_surface_flush(m_surface);
  const unsigned char* data = cairo_image_surface_get_data(m_surface);
  const int stride = cairo_image_surface_get_stride(m_surface);
  std::vector<uint8_t> out(size_t(m_width) * size_t(m_height));
  for (int y = 0; y < m_height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = 0; x < m_width; ++x) {
      out[size_t(y * m_width + x)] = uint8_t(row[x] >> 24);
    }
  }
  return out;
}

}  // namespace zor::skins
