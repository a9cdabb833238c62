// The main window. The program copies most pictures opaquely over the background at fixed places,
// so every such picture is cut out of a full rendering of the window with the element drawn in its
// place: edges and gradients then meet the background pixel for pixel.

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "gui/app/main_layout.h"
#include "skins/generator/skins.h"
#include "skins/generator/style.h"
#include "skins/generator/widgets.h"

namespace zor::skins {
namespace {

constexpr int kWidth = 592;
constexpr int kHeight = 548;

struct Rect {
  int x, y, w, h;
};

// Places come from the window's own layout table (left, top); sizes are ours.
namespace lay = layout;
constexpr Rect At(lay::Place p, int w, int h) { return Rect{p.x, p.y, w, h}; }
constexpr Rect kCpuPanel{44, 65, 115, 87};
constexpr Rect kFigures = At(lay::kFiguresPanel, 238, 87);
constexpr Rect kPower = At(lay::kPushPlaces[lay::kOff], 140, 140);
constexpr Rect kClose = At(lay::kPushPlaces[lay::kClose], 32, 24);
constexpr Rect kMinimise = At(lay::kPushPlaces[lay::kMinimise], 32, 24);
constexpr Rect kHelp = At(lay::kPushPlaces[lay::kHelp], 32, 24);
constexpr Rect kUpdate = At(lay::kPushPlaces[lay::kUpdate], 48, 44);
constexpr Rect kReset = At(lay::kPushPlaces[lay::kReset], 56, 26);
constexpr Rect kMeter = At(lay::kSelectorPlaces[lay::kMeter], 40, 20);
constexpr Rect kTotal = At(lay::kSelectorPlaces[lay::kTotal], 40, 20);
constexpr Rect kLevels[4] = {
    At(lay::kSelectorPlaces[lay::kL1], 36, 28), At(lay::kSelectorPlaces[lay::kL2], 36, 28),
    At(lay::kSelectorPlaces[lay::kL3], 36, 28), At(lay::kSelectorPlaces[lay::kL4], 36, 28)};
constexpr Rect kLed = At(lay::kSelectorPlaces[lay::kLed], 40, 26);
constexpr Rect kPhasePanel{44, 205, 472, 161};
constexpr int kPhaseW = 30;
constexpr int kPhaseH = 58;
constexpr int kPhaseRows[2] = {lay::kPhaseTopY, lay::kPhaseBottomY};
constexpr int kBarX = lay::kBarX[0];
constexpr int kBarY = lay::kBarY;
constexpr int kBarW = 474;
constexpr int kBarH = 18;
constexpr int kSegmentW = lay::kBarX[2] - lay::kBarX[1];
// Digit cells: the big strips advance 25 pixels, the time and date rows 12.
constexpr int kBigW = 25;
constexpr int kBigH = 34;
constexpr int kSmallW = 12;
constexpr int kSmallH = 16;

int PhaseX(int i) { return lay::PhaseX(i); }

Rect P3dRect(Script s) {
  // The program places the Chinese button 4 pixels higher; it is 4 pixels taller so both end alike.
  const lay::Place p = lay::kSelectorPlaces[lay::kPower3D];
  return s == Script::Latin ? Rect{p.x, p.y, 100, 22} : Rect{p.x, lay::kPower3DChineseY, 100, 26};
}

struct Labels {
  const char* subtitle;
  const char* statusOn;
  const char* statusOff;
  const char* cpu;
  const char* meterTitle;
  const char* totalTitle;
  const char* offTitle;
  const char* offHint;
  const char* days;
  const char* hours;
  const char* minutes;
  const char* view;
  const char* meter;
  const char* total;
  const char* reset;
  const char* phases;
  const char* level;
  const char* choose;
  const char* advanced;
  const char* power3d;
  const char* update;
};

const Labels& LabelsFor(Script s) {
  static const Labels kEnglish{"ENERGY SAVER",
                               "SAVING ON",
                               "SAVING OFF",
                               "CPU POWER",
                               "SAVED SINCE RESET",
                               "TOTAL SAVED",
                               "ENERGY SAVING IS OFF",
                               "Press the power button to start",
                               "D",
                               "H",
                               "M",
                               "VIEW",
                               "METER",
                               "TOTAL",
                               "RESET",
                               "POWER PHASES",
                               "ENERGY SAVING LEVEL",
                               "LEVEL",
                               "ADV",
                               "3D POWER",
                               "UPDATE"};
  static const Labels kSimplified{"智能节能", "节能开启", "节能关闭",   "CPU 功耗",
                                  "本次节省", "累计节省", "节能已关闭", "按下电源键开始节能",
                                  "天",       "时",       "分",         "显示",
                                  "实时",     "累计",     "归零",       "供电相位",
                                  "节能等级", "等级",     "自订",       "3D 供电",
                                  "更新"};
  static const Labels kTraditional{"智慧節能", "節能開啟", "節能關閉",   "CPU 功耗",
                                   "本次節省", "累計節省", "節能已關閉", "按下電源鍵開始節能",
                                   "天",       "時",       "分",         "顯示",
                                   "即時",     "累計",     "歸零",       "供電相位",
                                   "節能等級", "等級",     "自訂",       "3D 供電",
                                   "更新"};
  switch (s) {
    case Script::SimplifiedChinese: return kSimplified;
    case Script::TraditionalChinese: return kTraditional;
    case Script::Latin: break;
  }
  return kEnglish;
}

// Button text: Latin bold small capitals, Chinese one size up.
Font LabelFont(Script s, double latinSize) {
  return s == Script::Latin ? Font{latinSize, true} : Font{latinSize + 2, true, s};
}

double LabelBaseline(Script s, const Rect& r, double latinSize) {
  const double cap = s == Script::Latin ? latinSize * 0.73 : (latinSize + 2) * 0.86;
  return r.y + (r.h + cap) / 2.0 - 0.5;
}

void ShapePath(Canvas& c) {
  c.RoundRectPath(0, 14, kWidth, kHeight - 14, 22);
  c.RoundRectPath(430, 0, 132, 44, 12);  // the tab that carries the window buttons
}

void NotchPath(Canvas& c) {
  cairo_t* cr = c.Cr();
  cairo_move_to(cr, 350, kHeight + 1);
  cairo_line_to(cr, 360, kHeight - 8);
  cairo_line_to(cr, 470, kHeight - 8);
  cairo_line_to(cr, 480, kHeight + 1);
  cairo_close_path(cr);
}

// --- elements --------------------------------------------------------------------------------

void TextButton(Canvas& c, const Rect& r, const std::string& text, Script s, State st,
                double size = 8.5) {
  ButtonFace(c, r.x, r.y, r.w, r.h, st);
  c.Text(text, LabelFont(s, size), r.x + r.w / 2.0,
         LabelBaseline(s, r, size) + (st == State::Down ? 1 : 0), LabelColor(st), Align::Center);
}

void WindowButton(Canvas& c, const Rect& r, char glyph, State st) {
  ButtonFace(c, r.x, r.y, r.w, r.h, st);
  cairo_t* cr = c.Cr();
  const double cx = r.x + r.w / 2.0, cy = r.y + r.h / 2.0 + (st == State::Down ? 1 : 0);
  Rgb ink = st == State::Over && glyph == 'x' ? Hex(0xFF6B5E) : LabelColor(st);
  c.SetColor(ink);
  cairo_set_line_width(cr, 2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  if (glyph == 'x') {
    cairo_move_to(cr, cx - 4.5, cy - 4.5);
    cairo_line_to(cr, cx + 4.5, cy + 4.5);
    cairo_move_to(cr, cx + 4.5, cy - 4.5);
    cairo_line_to(cr, cx - 4.5, cy + 4.5);
    cairo_stroke(cr);
  } else if (glyph == '-') {
    cairo_move_to(cr, cx - 5, cy + 3);
    cairo_line_to(cr, cx + 5, cy + 3);
    cairo_stroke(cr);
  } else {
    c.Text("?", Font{13, true}, cx, cy + 5, ink, Align::Center);
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void UpdateButton(Canvas& c, Script s, State st) {
  const Rect& r = kUpdate;
  ButtonFace(c, r.x, r.y, r.w, r.h, st);
  cairo_t* cr = c.Cr();
  const double cx = r.x + r.w / 2.0, cy = r.y + 16 + (st == State::Down ? 1 : 0);
  const Rgb ink = st == State::Normal ? color::kGreen : LabelColor(st);
  c.SetColor(ink);
  cairo_set_line_width(cr, 2);
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, 7, 0.3, 1.5 * M_PI);
  cairo_stroke(cr);
  // Arrow head at the arc's open end.
  cairo_move_to(cr, cx + 1, cy - 11);
  cairo_line_to(cr, cx + 6, cy - 7);
  cairo_line_to(cr, cx + 0.5, cy - 3);
  cairo_close_path(cr);
  cairo_fill(cr);
  const Font f = s == Script::Latin ? Font{7.5, true} : Font{10, true, s};
  c.Text(LabelsFor(s).update, f, cx, r.y + 38 + (st == State::Down ? 1 : 0), LabelColor(st),
         Align::Center);
}

void LedSwitch(Canvas& c, bool on) {
  const Rect& r = kLed;
  ButtonFace(c, r.x, r.y, r.w, r.h, State::Normal);
  cairo_t* cr = c.Cr();
  c.RoundRectPath(r.x + 5, r.y + 7, r.w - 10, r.h - 14, 6);
  c.SetColor(on ? color::kGreenDark : Hex(0x111417));
  cairo_fill(cr);
  const double knobX = on ? r.x + r.w - 12 : r.x + 12;
  GlowDot(c, knobX, r.y + r.h / 2.0, 4.5, on ? color::kGreen : Hex(0x58626B), on ? 1.0 : 0.0);
}

void Power3dButton(Canvas& c, Script s, State st, bool lit) {
  const Rect r = P3dRect(s);
  ButtonFace(c, r.x, r.y, r.w, r.h, st);
  const double cy = r.y + r.h / 2.0;
  if (st != State::Disabled) {
    GlowDot(c, r.x + 12, cy, 3.5, lit ? color::kGreen : Hex(0x4F5861), lit ? 0.9 : 0.0);
  }
  const Rgb ink = st == State::Disabled ? color::kTextFaint : (lit ? color::kGreen : color::kText);
  c.Text(LabelsFor(s).power3d, LabelFont(s, 8.5), r.x + r.w / 2.0 + 6, LabelBaseline(s, r, 8.5),
         ink, Align::Center);
}

void PhaseTile(Canvas& c, double x, double y, int frame) {
  cairo_t* cr = c.Cr();
  c.RoundRectPath(x + 0.5, y + 0.5, kPhaseW - 1, kPhaseH - 1, 4);
  c.SetColor(Hex(0x15191D));
  cairo_fill_preserve(cr);
  c.SetColor(Hex(0x05070A));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  // Four energy cells, lit bottom to top as the frame runs 1 to 4.
  for (int cell = 0; cell < 4; ++cell) {
    const double cy = y + kPhaseH - 6 - 12 * (cell + 1) + 2;
    Rgb col = Hex(0x1F262C);
    double glow = 0;
    if (frame > 0) {
      col = cell + 1 == frame ? Hex(0x7BFFB0)
                              : (cell + 1 < frame ? color::kGreenDeep : Hex(0x17663B));
      glow = cell + 1 == frame ? 1 : 0;
    }
    if (glow > 0) {
      c.RoundRectPath(x + 3, cy - 2, kPhaseW - 6, 14, 3);
      c.SetColor(color::kGreen, 0.25);
      cairo_fill(cr);
    }
    c.RoundRectPath(x + 5, cy, kPhaseW - 10, 10, 2);
    c.SetColor(col);
    cairo_fill(cr);
  }
  if (frame > 0) {
    cairo_move_to(cr, x + 6, y + 2.5);
    cairo_line_to(cr, x + kPhaseW - 6, y + 2.5);
    c.SetColor(color::kGreen, 0.6);
    cairo_stroke(cr);
  }
}

// The level bar: six cells; lit ones ramp from deep to bright green.
void LevelBar(Canvas& c, bool lit, double alpha = 1.0) {
  cairo_t* cr = c.Cr();
  cairo_push_group(cr);
  c.RoundRectPath(kBarX + 0.5, kBarY + 0.5, kBarW - 1, kBarH - 1, 5);
  c.SetColor(Hex(0x090B0D));
  cairo_fill_preserve(cr);
  c.SetColor(Hex(0x030405));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  for (int i = 0; i < 6; ++i) {
    const double x = kBarX + i * kSegmentW + 3;
    const double w = kSegmentW - (i == 5 ? 6 : 4);
    c.RoundRectPath(x, kBarY + 3, w, kBarH - 6, 3);
    if (lit) {
      const double t = i / 5.0;
      cairo_pattern_t* p = cairo_pattern_create_linear(0, kBarY + 3, 0, kBarY + kBarH - 3);
      const Rgb hi{0.30 + 0.35 * t, 0.86 + 0.12 * t, 0.50 - 0.05 * t};
      const Rgb lo{0.05 + 0.2 * t, 0.55 + 0.15 * t, 0.27};
      cairo_pattern_add_color_stop_rgb(p, 0, hi.r, hi.g, hi.b);
      cairo_pattern_add_color_stop_rgb(p, 1, lo.r, lo.g, lo.b);
      cairo_set_source(cr, p);
      cairo_fill(cr);
      cairo_pattern_destroy(p);
      c.FillRect(x + 3, kBarY + 4, w - 6, 1, {1, 1, 1}, 0.4);
    } else {
      c.SetColor(Hex(0x1A1F24));
      cairo_fill(cr);
    }
  }
  cairo_pop_group_to_source(cr);
  cairo_paint_with_alpha(cr, alpha);
}

void PowerButton(Canvas& c, bool savingOn, State st) {
  cairo_t* cr = c.Cr();
  const double cx = kPower.x + kPower.w / 2.0, cy = kPower.y + kPower.h / 2.0,
               r = kPower.w / 2.0 - 0.5;
  const double press = st == State::Down ? 1.0 : 0.0;
  // Brushed outer ring.
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_pattern_t* ring = cairo_pattern_create_linear(0, kPower.y, 0, kPower.y + kPower.h);
  cairo_pattern_add_color_stop_rgb(ring, 0, 0.36, 0.40, 0.44);
  cairo_pattern_add_color_stop_rgb(ring, 1, 0.10, 0.11, 0.13);
  cairo_set_source(cr, ring);
  cairo_fill(cr);
  cairo_pattern_destroy(ring);
  // Energy ring: lit all round when saving is on.
  const Rgb accent = savingOn ? color::kGreen : (st == State::Over ? Hex(0x9AA6B1) : Hex(0x3A424A));
  cairo_arc(cr, cx, cy, r - 8, 0, 2 * M_PI);
  cairo_set_line_width(cr, 4);
  c.SetColor(accent, savingOn ? (st == State::Down ? 0.6 : 1.0) : 1.0);
  cairo_stroke(cr);
  if (savingOn || st == State::Over) {
    cairo_arc(cr, cx, cy, r - 8, 0, 2 * M_PI);
    cairo_set_line_width(cr, 10);
    c.SetColor(savingOn ? color::kGreen : Hex(0x9AA6B1), st == State::Over ? 0.35 : 0.2);
    cairo_stroke(cr);
  }
  // Face.
  cairo_arc(cr, cx, cy, r - 14, 0, 2 * M_PI);
  cairo_pattern_t* face = cairo_pattern_create_radial(cx, cy - 30 + press * 20, 10, cx, cy, r - 14);
  const double lift = st == State::Over ? 0.05 : (st == State::Down ? -0.05 : 0.0);
  cairo_pattern_add_color_stop_rgb(face, 0, 0.22 + lift, 0.25 + lift, 0.28 + lift);
  cairo_pattern_add_color_stop_rgb(face, 1, 0.08 + lift, 0.09 + lift, 0.10 + lift);
  cairo_set_source(cr, face);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(face);
  cairo_set_line_width(cr, 1.5);
  c.SetColor(Hex(0x040506));
  cairo_stroke(cr);
  cairo_arc(cr, cx, cy, r - 15.5, M_PI * 1.1, M_PI * 1.9);
  cairo_set_line_width(cr, 1);
  c.SetColor({1, 1, 1}, st == State::Down ? 0.03 : 0.12);
  cairo_stroke(cr);
  // Symbol and word.
  const Rgb ink = savingOn
                      ? (st == State::Down ? color::kGreenDeep : color::kGreen)
                      : (st == State::Over ? Hex(0xE6ECF1)
                                           : (st == State::Down ? Hex(0x6B7580) : Hex(0xA5AFB8)));
  if (savingOn && st != State::Down) {
    cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy - 8, 5, cx, cy - 8, 42);
    cairo_pattern_add_color_stop_rgba(glow, 0, 0.24, 0.89, 0.5, st == State::Over ? 0.35 : 0.25);
    cairo_pattern_add_color_stop_rgba(glow, 1, 0.24, 0.89, 0.5, 0);
    cairo_arc(cr, cx, cy - 8, 42, 0, 2 * M_PI);
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
  }
  DrawPowerLeaf(c, cx, cy - 6 + press, 24, ink);
  c.Text(savingOn ? "ON" : "OFF", Font{11, true}, cx, cy + 38 + press, ink, Align::Center);
}

// --- panels and digits -----------------------------------------------------------------------

constexpr double kGhost = 0.07;
constexpr uint32_t kCpuOn = 0xCFFFE0;
constexpr uint32_t kCpuOff = 0x6E7983;

// Unlit cells where a strip's digits land, so the panels read as segment displays.
void GhostCells(Canvas& c, int x, int y, int count, Rgb ink) {
  for (int i = 0; i < count; ++i) {
    SegmentDigit(c, x + i * kBigW + 3, y + 3, 18, 28, -1, ink, kGhost);
  }
}

enum class FigureMode { Meter, Total, Off };

void FigurePanel(Canvas& c, Script s, FigureMode mode) {
  const Labels& L = LabelsFor(s);
  const Rect& r = kFigures;
  Panel(c, r.x, r.y, r.w, r.h);
  if (mode == FigureMode::Off) {
    Caption(c, L.offTitle, s, r.x + r.w / 2.0, r.y + 38, color::kTextDim, Align::Center);
    c.Text(L.offHint, s == Script::Latin ? Font{9.5, false} : Font{11, false, s}, r.x + r.w / 2.0,
           r.y + 58, color::kTextFaint, Align::Center);
    return;
  }
  const bool meter = mode == FigureMode::Meter;
  const Rgb accent = meter ? color::kGreen : color::kTeal;
  GhostCells(c, lay::kRightStripX + lay::kDigitAdvance, lay::kRightStripY,
             lay::kRightStripCells - 1, accent);
  Caption(c, meter ? L.meterTitle : L.totalTitle, s, r.x + 10, r.y + 13, accent);
  GlowDot(c, r.x + r.w - 12, r.y + 10, 2.5, accent, 0.8);
  if (meter) {
    // Unit letters after the two-digit day, hour and minute groups of the time row.
    const Font f = s == Script::Latin ? Font{9, true} : Font{10, true, s};
    c.Text(L.days, f, 200, 144, color::kTextDim);
    c.Text(L.hours, f, 246, 144, color::kTextDim);
    c.Text(L.minutes, f, 299, 144, color::kTextDim);
  }
}

void CpuPanel(Canvas& c, Script s, bool savingOn) {
  const Rect& r = kCpuPanel;
  Panel(c, r.x, r.y, r.w, r.h);
  GhostCells(c, lay::kLeftStripX, lay::kLeftStripY, 4, Hex(savingOn ? kCpuOn : kCpuOff));
  Caption(c, LabelsFor(s).cpu, s, r.x + 9, r.y + 13, color::kTextDim);
  c.Text("W", Font{9, true}, r.x + r.w - 9, r.y + 13, color::kGreen, Align::Right);
  // A thin rule between caption and figure.
  c.FillRect(r.x + 9, r.y + 20, r.w - 18, 1, {1, 1, 1}, 0.05);
}

Image BigDigit(int value, Rgb ink) {
  Canvas c(kBigW, kBigH);
  c.FillRect(0, 0, kBigW, kBigH, color::kPanel);
  SegmentDigit(c, 3, 3, 18, 28, value, ink, kGhost);
  return c.Snapshot();
}

// Drawn 4 pixels left of the next digit and 27 lower than the row: it sits on the baseline.
Image BigPoint(Rgb ink) {
  Canvas c(4, 5);
  c.FillRect(0, 0, 4, 5, color::kPanel);
  c.FillRect(0.5, 1, 3, 3, ink);
  return c.Snapshot();
}

Image SmallGlyph(const std::string& text, int width, Rgb ink) {
  Canvas c(width, kSmallH);
  c.FillRect(0, 0, width, kSmallH, color::kPanel);
  c.Text(text, Font{14, true, Script::Latin, true}, width / 2.0, 13, ink, Align::Center);
  return c.Snapshot();
}

// --- the whole window ------------------------------------------------------------------------

void Base(Canvas& c, Script s, bool savingOn) {
  const Labels& L = LabelsFor(s);
  WindowShell(
      c, [&] { ShapePath(c); }, [&] { NotchPath(c); });
  // Header.
  DrawPowerLeaf(c, 37, 37, 12, color::kGreen);
  c.Text("ZORWISE", Font{20, true}, 58, 43, color::kText);
  if (s == Script::Latin) {
    Caption(c, L.subtitle, s, 59, 56, color::kGreen);
  } else {
    c.Text(L.subtitle, Font{10, true, s}, 59, 57, color::kGreen);
  }
  // Status pill.
  const Rgb state = savingOn ? color::kGreen : color::kOffAccent;
  c.RoundRectPath(290.5, 24.5, 104, 21, 10.5);
  c.SetColor(savingOn ? color::kGreenDark : Hex(0x1B1F23));
  cairo_fill_preserve(c.Cr());
  c.SetColor(state, 0.8);
  cairo_set_line_width(c.Cr(), 1);
  cairo_stroke(c.Cr());
  GlowDot(c, 303, 35, 3, state, savingOn ? 1 : 0);
  if (s == Script::Latin) {
    Caption(c, savingOn ? L.statusOn : L.statusOff, s, 348, 38.5, state, Align::Center);
  } else {
    c.Text(savingOn ? L.statusOn : L.statusOff, Font{11, true, s}, 348, 39.5, state, Align::Center);
  }
  // Socket of the power button.
  cairo_arc(c.Cr(), kPower.x + kPower.w / 2.0, kPower.y + kPower.h / 2.0, kPower.w / 2.0 + 2, 0,
            2 * M_PI);
  c.SetColor(Hex(0x050607), 0.9);
  cairo_fill(c.Cr());

  CpuPanel(c, s, savingOn);
  // Display switches.
  const Font small = s == Script::Latin ? Font{8.5, true} : Font{10, true, s};
  c.Text(L.view, small, kMeter.x - 8, 175, color::kTextDim, Align::Right);
  // Phases.
  Panel(c, kPhasePanel.x, kPhasePanel.y, kPhasePanel.w, kPhasePanel.h);
  Caption(c, L.phases, s, kPhasePanel.x + 11, kPhasePanel.y + 15, color::kTextDim);
  // Level.
  Caption(c, L.level, s, kBarX, kBarY - 7, color::kTextDim);
  const char* ticks[3] = {"L1", "L2", "L3"};
  for (int i = 0; i < 3; ++i) {
    c.Text(ticks[i], Font{8, true}, kBarX + kSegmentW * (2 * i + 2) - 4, kBarY + kBarH + 12,
           color::kTextFaint, Align::Right);
  }
  // Control deck along the foot of the window.
  c.RoundRectPath(14, 474, kWidth - 28, kHeight - 474 - 12, 12);
  c.SetColor({0, 0, 0}, 0.22);
  cairo_fill(c.Cr());
  c.FillRect(26, 474, kWidth - 52, 1, {1, 1, 1}, 0.06);
  c.Text("v2.0", Font{8, false}, 512, 526, color::kTextFaint, Align::Right);
  Caption(c, L.choose, s, kLevels[0].x, kLevels[0].y - 8, color::kTextDim);
  Caption(c, "LED", Script::Latin, kLed.x + kLed.w / 2.0, kLed.y - 6, color::kTextDim,
          Align::Center);
}

class MainSkin {
 public:
  MainSkin(Script s) : m_script(s), m_base(kWidth, kHeight) { Base(m_base, s, true); }

  // A picture of one element, cut from the window with the element drawn in its place.
  Image Cut(const Rect& r, const std::function<void(Canvas&)>& draw) const {
    Canvas c(kWidth, kHeight);
    c.CopyFrom(m_base);
    draw(c);
    return c.Snapshot(color::kRim).Crop(r.x, r.y, r.w, r.h);
  }

  // The masked power button: the image is black and the mask white outside the round face.
  void Masked(ResourceLibrary& lib, const std::string& image, const std::string& mask,
              bool savingOn, State st) const {
    Canvas shape(kWidth, kHeight);
    PowerButton(shape, savingOn, st);
    const std::vector<uint8_t> alpha = shape.Alpha();
    Image img = Cut(kPower, [&](Canvas& c) { PowerButton(c, savingOn, st); });
    Image msk(kPower.w, kPower.h, 0x000000);
    for (int y = 0; y < kPower.h; ++y) {
      for (int x = 0; x < kPower.w; ++x) {
        if (alpha[size_t((kPower.y + y) * kWidth + kPower.x + x)] < 128) {
          img.At(x, y) = 0x000000;
          msk.At(x, y) = 0xFFFFFF;
        }
      }
    }
    lib.Add(image, std::move(img));
    lib.Add(mask, std::move(msk));
  }

  Image Background(bool savingOn) const {
    Canvas c(kWidth, kHeight);
    Base(c, m_script, savingOn);
    const Script s = m_script;
    const Labels& L = LabelsFor(s);
    // What the program leaves to the background: the panels before the first tick, the
    // unavailable look of everything that is only drawn while saving is on.
    FigurePanel(c, s, savingOn ? FigureMode::Meter : FigureMode::Off);
    for (int row : kPhaseRows) {
      for (int i = 0; i < 12; ++i) {
        PhaseTile(c, PhaseX(i), row, 0);
      }
    }
    TextButton(c, kReset, L.reset, s, State::Disabled);
    Power3dButton(c, s, State::Disabled, false);
    const State idle = savingOn ? State::Normal : State::Disabled;
    TextButton(c, kMeter, L.meter, s, savingOn ? State::Selected : State::Disabled, 7.5);
    TextButton(c, kTotal, L.total, s, idle, 7.5);
    const char* names[4] = {"L1", "L2", "L3", L.advanced};
    for (int i = 0; i < 4; ++i) {
      TextButton(c, kLevels[i], names[i], s, idle, i == 3 ? 8.5 : 10);
    }
    LevelBar(c, false, savingOn ? 1.0 : 0.45);
    WindowButton(c, kClose, 'x', State::Normal);
    WindowButton(c, kMinimise, '-', State::Normal);
    WindowButton(c, kHelp, '?', State::Normal);
    UpdateButton(c, s, State::Normal);
    LedSwitch(c, false);
    PowerButton(c, savingOn, State::Normal);
    return c.Snapshot(color::kRim);
  }

  void Build(ResourceLibrary& lib) const {
    const Script s = m_script;
    const Labels& L = LabelsFor(s);
    lib.Add("Main_on", Background(true));
    lib.Add("Main_off", Background(false));

    // Digit fonts.
    const Rgb cpuOn = Hex(kCpuOn), cpuOff = Hex(kCpuOff);
    char name[32];
    for (int d = 0; d <= 9; ++d) {
      auto put = [&](const char* fmt, Image img) {
        std::snprintf(name, sizeof name, fmt, d);
        lib.Add(name, std::move(img));
      };
      put("CPU_ON_%d", BigDigit(d, cpuOn));
      put("CPU_OFF_%d", BigDigit(d, cpuOff));
      put("PSN_%d", BigDigit(d, color::kGreen));
      put("TOTALNUM_%d", BigDigit(d, color::kTeal));
      put("TOTAL_%d", SmallGlyph(std::to_string(d), kSmallW, color::kText));
      put("SINCE_%d", SmallGlyph(std::to_string(d), kSmallW, Hex(0x9FEDE6)));
    }
    lib.Add("CPU_ON_10", BigPoint(cpuOn));
    lib.Add("CPU_OFF_10", BigPoint(cpuOff));
    lib.Add("PSN_10", BigPoint(color::kGreen));
    lib.Add("TOTALNUM_10", BigPoint(color::kTeal));
    lib.Add("PSN_11", Cut(kFigures, [&](Canvas& c) { FigurePanel(c, s, FigureMode::Meter); }));
    lib.Add("TOTALNUM_11", Cut(kFigures, [&](Canvas& c) { FigurePanel(c, s, FigureMode::Total); }));
    // Date separators: time colons, the gap before the date, the date slashes.
    lib.Add("SINCE_10", SmallGlyph(":", 6, Hex(0x9FEDE6)));
    lib.Add("SINCE_11", SmallGlyph("", 5, Hex(0x9FEDE6)));
    lib.Add("SINCE_12", SmallGlyph("/", 8, Hex(0x9FEDE6)));
    for (int k = 0; k <= 4; ++k) {
      Canvas c(kPhaseW, kPhaseH);
      c.FillRect(0, 0, kPhaseW, kPhaseH, color::kPanel);
      PhaseTile(c, 0, 0, k);
      std::snprintf(name, sizeof name, "PST_%d", k);
      lib.Add(name, c.Snapshot());
    }
    lib.Add("BAR_0", Cut({kBarX, kBarY, kBarW, kBarH}, [&](Canvas& c) { LevelBar(c, false); }));
    for (int k = 1; k <= 6; ++k) {
      std::snprintf(name, sizeof name, "BAR_%d", k);
      lib.Add(name, Cut({kBarX + (k - 1) * kSegmentW, kBarY, kSegmentW, kBarH},
                        [&](Canvas& c) { LevelBar(c, true); }));
    }

    // Push buttons.
    Masked(lib, "OFF_nb", "OFF_NW", false, State::Normal);
    Masked(lib, "OFF_OB", "OFF_OW", false, State::Over);
    Masked(lib, "OFF_DB", "OFF_DW", false, State::Down);
    Masked(lib, "ON_NB", "ON_NW", true, State::Normal);
    Masked(lib, "ON_OB", "ON_OW", true, State::Over);
    Masked(lib, "ON_DB", "ON_DW", true, State::Down);
    const struct {
      const char* prefix;
      Rect r;
      char glyph;
    } windowButtons[] = {{"CLOSE", kClose, 'x'}, {"MINI", kMinimise, '-'}, {"HELP", kHelp, '?'}};
    const struct {
      const char* suffix;
      State st;
    } states[] = {{"_N", State::Normal}, {"_O", State::Over}, {"_D", State::Down}};
    for (const auto& b : windowButtons) {
      for (const auto& st : states) {
        lib.Add(std::string(b.prefix) + st.suffix,
                Cut(b.r, [&](Canvas& c) { WindowButton(c, b.r, b.glyph, st.st); }));
      }
    }
    for (const auto& st : states) {
      lib.Add(std::string("UPDATE") + st.suffix,
              Cut(kUpdate, [&](Canvas& c) { UpdateButton(c, s, st.st); }));
      lib.Add(std::string("RESET") + st.suffix,
              Cut(kReset, [&](Canvas& c) { TextButton(c, kReset, L.reset, s, st.st); }));
    }
    lib.Add("RESET_X",
            Cut(kReset, [&](Canvas& c) { TextButton(c, kReset, L.reset, s, State::Disabled); }));

    // Selector buttons: normal, over, pressed, and the chosen one.
    const struct {
      const char* suffix;
      State st;
    } selector[] = {
        {"_N", State::Normal}, {"_O", State::Over}, {"_D", State::Down}, {"_DIS", State::Selected}};
    const struct {
      const char* prefix;
      Rect r;
      std::string text;
      double size;
    } selectors[] = {{"METER", kMeter, L.meter, 7.5}, {"TOTAL", kTotal, L.total, 7.5},
                     {"L1", kLevels[0], "L1", 10},    {"L2", kLevels[1], "L2", 10},
                     {"L3", kLevels[2], "L3", 10},    {"L4", kLevels[3], L.advanced, 8.5}};
    for (const auto& b : selectors) {
      for (const auto& st : selector) {
        lib.Add(std::string(b.prefix) + st.suffix,
                Cut(b.r, [&](Canvas& c) { TextButton(c, b.r, b.text, s, st.st, b.size); }));
      }
    }
    lib.Add("LED_OFF", Cut(kLed, [&](Canvas& c) { LedSwitch(c, false); }));
    lib.Add("LED_ON", Cut(kLed, [&](Canvas& c) { LedSwitch(c, true); }));
    const Rect p3d = P3dRect(s);
    lib.Add("P3D_OFF_N", Cut(p3d, [&](Canvas& c) { Power3dButton(c, s, State::Normal, false); }));
    lib.Add("P3D_ON_N", Cut(p3d, [&](Canvas& c) { Power3dButton(c, s, State::Normal, true); }));
  }

 private:
  Script m_script;
  Canvas m_base;
};

}  // namespace

ResourceLibrary BuildMainLibrary(const char* name, Script script) {
  ResourceLibrary lib(name);
  MainSkin(script).Build(lib);
  return lib;
}

}  // namespace zor::skins
