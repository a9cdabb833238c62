#include "skins/generator/widgets.h"

#include <cmath>

#include "skins/generator/style.h"

namespace zor::skins {

void DrawPowerLeaf(Canvas& c, double cx, double cy, double r, Rgb color) {
  cairo_t* cr = c.Cr();
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, std::max(1.2, r * 0.24));
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy + r * 0.08, r * 0.82, -M_PI / 2 + 0.62, 3 * M_PI / 2 - 0.62);
  c.SetColor(color);
  cairo_stroke(cr);
  cairo_move_to(cr, cx, cy - r * 0.95);
  cairo_line_to(cr, cx, cy - r * 0.05);
  cairo_stroke(cr);
  // The leaf, sprouting right of the stem's top.
  cairo_new_path(cr);
  cairo_move_to(cr, cx + r * 0.08, cy - r * 0.55);
  cairo_curve_to(cr, cx + r * 0.25, cy - r * 1.15, cx + r * 0.85, cy - r * 1.15, cx + r * 0.98,
                 cy - r * 1.05);
  cairo_curve_to(cr, cx + r * 0.9, cy - r * 0.55, cx + r * 0.45, cy - r * 0.4, cx + r * 0.08,
                 cy - r * 0.55);
  cairo_fill(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

namespace {

void DrawTrack(Canvas& c) {
  c.FillRect(0, 0, kTrackW, kTrackH, color::kPanel);
  cairo_t* cr = c.Cr();
  // Groove, dark with a green charge line along it.
  c.RoundRectPath(6, 8.5, kTrackW - 12, 5, 2.5);
  c.SetColor(Hex(0x000000));
  cairo_fill(cr);
  c.FillRect(8, 10.5, kTrackW - 16, 1, color::kGreenDeep, 0.9);
  c.FillRect(6, 13.5, kTrackW - 12, 1, {1, 1, 1}, 0.07);
  // Ticks at every fifth step of 0..30.
  for (int i = 0; i <= 6; ++i) {
    const double x = 19 + (kTrackW - kThumbW) * i / 6.0;
    c.FillRect(std::floor(x), 17, 1, i % 3 == 0 ? 3 : 2, color::kTextFaint);
  }
}

void DrawThumb(Canvas& c) {
  cairo_t* cr = c.Cr();
  c.RoundRectPath(3.5, 2.5, kThumbW - 7, kThumbH - 5, 7);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 2, 0, kThumbH - 2);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.42, 0.93, 0.62);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.07, 0.55, 0.28);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  cairo_set_line_width(cr, 1);
  c.SetColor(Hex(0x06301A));
  cairo_stroke(cr);
  cairo_move_to(cr, 10, 4);
  cairo_line_to(cr, kThumbW - 10, 4);
  c.SetColor({1, 1, 1}, 0.45);
  cairo_stroke(cr);
  for (int i = -1; i <= 1; ++i) {
    const double x = kThumbW / 2.0 + i * 4 + 0.5;
    cairo_move_to(cr, x, 7);
    cairo_line_to(cr, x, kThumbH - 7);
  }
  c.SetColor(Hex(0x06301A), 0.8);
  cairo_stroke(cr);
}

}  // namespace

Image SliderTrack() {
  Canvas c(kTrackW, kTrackH);
  DrawTrack(c);
  return c.Snapshot();
}

Image SliderThumb() {
  // Coverage from the thumb alone; colours from the thumb over the middle of the track.
  Canvas shape(kThumbW, kThumbH);
  DrawThumb(shape);
  const std::vector<uint8_t> alpha = shape.Alpha();
  Canvas over(kThumbW, kThumbH);
  cairo_save(over.Cr());
  cairo_translate(over.Cr(), -(kTrackW - kThumbW) / 2.0, 0);
  DrawTrack(over);
  cairo_restore(over.Cr());
  DrawThumb(over);
  Image img = over.Snapshot();
  for (int y = 0; y < kThumbH; ++y) {
    for (int x = 0; x < kThumbW; ++x) {
      if (alpha[size_t(y * kThumbW + x)] < 100) {
        img.At(x, y) = kMagenta;
      }
    }
  }
  img.At(0, 0) = kMagenta;  // the key the slider reads
  return img;
}

void SegmentDigit(Canvas& c, double x, double y, double w, double h, int digit, Rgb lit,
                  double ghost) {
  static const unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                              0x6D, 0x7D, 0x07, 0x7F, 0x6F};
  const double t = std::max(2.0, w * 0.16);  // stroke thickness
  const double g = t * 0.22;                 // gap between segments
  const double left = x, right = x + w, top = y, bottom = y + h, mid = y + h / 2;
  cairo_t* cr = c.Cr();
  // Horizontal segment centred on row yc, vertical on column xc.
  auto horizontal = [&](double yc) {
    cairo_move_to(cr, left + g, yc);
    cairo_line_to(cr, left + g + t / 2, yc - t / 2);
    cairo_line_to(cr, right - g - t / 2, yc - t / 2);
    cairo_line_to(cr, right - g, yc);
    cairo_line_to(cr, right - g - t / 2, yc + t / 2);
    cairo_line_to(cr, left + g + t / 2, yc + t / 2);
    cairo_close_path(cr);
  };
  auto vertical = [&](double xc, double y0, double y1) {
    cairo_move_to(cr, xc, y0 + g);
    cairo_line_to(cr, xc + t / 2, y0 + g + t / 2);
    cairo_line_to(cr, xc + t / 2, y1 - g - t / 2);
    cairo_line_to(cr, xc, y1 - g);
    cairo_line_to(cr, xc - t / 2, y1 - g - t / 2);
    cairo_line_to(cr, xc - t / 2, y0 + g + t / 2);
    cairo_close_path(cr);
  };
  const double lx = left + t / 2, rx = right - t / 2, ty = top + t / 2, by = bottom - t / 2;
  for (int pass = 0; pass < (digit < 0 ? 1 : 2); ++pass) {
    const unsigned char on = pass == 0 ? 0x7F : kSegments[digit];
    if (on & 0x01) horizontal(ty);
    if (on & 0x02) vertical(rx, ty, mid);
    if (on & 0x04) vertical(rx, mid, by);
    if (on & 0x08) horizontal(by);
    if (on & 0x10) vertical(lx, mid, by);
    if (on & 0x20) vertical(lx, ty, mid);
    if (on & 0x40) horizontal(mid);
    c.SetColor(lit, pass == 0 ? ghost : 1.0);
    cairo_fill(cr);
  }
}

}  // namespace zor::skins
