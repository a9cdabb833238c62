// The advanced settings dialog. Its pictures are shared by four backgrounds whose layouts differ
// by platform class, so every element sits on a flat plate of the panel colour: the same picture
// then fits wherever the program places it.

#include <cmath>
#include <string>
#include <vector>

#include "skins/generator/skins.h"
#include "skins/generator/style.h"
#include "skins/generator/widgets.h"

namespace zor::skins {
namespace {

constexpr int kWidth = 612;
constexpr int kHeightTall = 396;
constexpr int kHeightP67 = 352;
constexpr int kToggle = 16;
constexpr int kArrowW = 22;
constexpr int kArrowH = 21;
constexpr int kLevelW = 82;
constexpr int kLevelH = 15;
constexpr int kPushW = 96;
constexpr int kPushH = 30;
constexpr int kBarW = 50;
constexpr int kBarH = 18;
constexpr int kComboW = 130;

enum class Platform { Other, X58, P55, P67 };

struct Labels {
  const char* title;
  const char* side;
  const char* level;
  const char* levels[3];
  const char* toggles[9];  // NB, SB, VGA, MEM, SF, VTT, LPS, THRO, PCH
  const char* reduction;
  const char* monitor;
  const char* disk;
  const char* save;
  const char* quit;
  const char* hint;
};

const Labels& LabelsFor(Script s) {
  static const Labels kEnglish{
      "ADVANCED SETTINGS",
      "CUSTOM ENERGY SET",
      "LEVEL",
      {"L1  MILD", "L2  MEDIUM", "L3  STRONG"},
      {"NB", "SB", "VGA CLOCK", "MEMORY", "FAN CURVE", "VTT", "LOW POWER", "THROTTLE", "PCH"},
      "REDUCTION",
      "MONITOR OFF",
      "HARD DISK OFF",
      "SAVE",
      "QUIT",
      "Lit options save energy. Changes apply on SAVE."};
  static const Labels kSimplified{
      "高级设置",
      "自订节能方案",
      "等级",
      {"L1  轻度", "L2  中度", "L3  强力"},
      {"北桥", "南桥", "显卡频率", "内存", "风扇曲线", "VTT", "低功耗", "降频", "PCH"},
      "降压幅度",
      "关闭显示器",
      "关闭硬盘",
      "保存",
      "退出",
      "点亮的选项用于节能，按保存后生效。"};
  static const Labels kTraditional{
      "進階設定",
      "自訂節能方案",
      "等級",
      {"L1  輕度", "L2  中度", "L3  強力"},
      {"北橋", "南橋", "顯示卡頻率", "記憶體", "風扇曲線", "VTT", "低功耗", "降頻", "PCH"},
      "降壓幅度",
      "關閉螢幕",
      "關閉硬碟",
      "儲存",
      "離開",
      "點亮的選項用於節能，按儲存後生效。"};
  switch (s) {
    case Script::SimplifiedChinese: return kSimplified;
    case Script::TraditionalChinese: return kTraditional;
    case Script::Latin: break;
  }
  return kEnglish;
}

struct Point {
  int x, y;
};

// Where the program puts each toggle; x < 0 means the toggle is hidden on that platform.
Point TogglePlace(Platform p, int index) {
  static const int kTop[9] = {152, 152, 152, 232, 312, 72, 72, 72, 72};
  static const int kLeft[4][9] = {
      {130, 210, 538, 538, 130, 387, 463, 538, -200},    // other
      {130, 210, 538, 538, 130, -387, 387, 463, -200},   // X58
      {-130, -130, 538, 538, 130, -387, 387, 463, 446},  // P55
      {-130, -130, 274, 126, 445, -387, 209, 275, 446},  // P67
  };
  int top = kTop[index];
  if (p == Platform::P67 && index == 4) {
    top = 232;
  }
  return {kLeft[int(p)][index], top};
}

Font SmallFont(Script s) { return s == Script::Latin ? Font{8, true} : Font{10, true, s}; }

Image OnPlate(int w, int h, const std::function<void(Canvas&)>& draw) {
  Canvas c(w, h);
  c.FillRect(0, 0, w, h, color::kPanel);
  draw(c);
  return c.Snapshot();
}

void ToggleLamp(Canvas& c, double x, double y, bool on) {
  cairo_t* cr = c.Cr();
  const double cx = x + kToggle / 2.0, cy = y + kToggle / 2.0;
  cairo_arc(cr, cx, cy, 7.5, 0, 2 * M_PI);
  c.SetColor(Hex(0x030405));
  cairo_fill(cr);
  cairo_arc(cr, cx, cy, 6.5, 0, 2 * M_PI);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + kToggle);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.30, 0.34, 0.38);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.14, 0.16, 0.18);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  if (on) {
    cairo_arc(cr, cx, cy, 4.5, 0, 2 * M_PI);
    cairo_pattern_t* g = cairo_pattern_create_radial(cx - 1, cy - 1.5, 0.5, cx, cy, 4.5);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.80, 1.0, 0.88);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.13, 0.78, 0.42);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
  } else {
    cairo_arc(cr, cx, cy, 4, 0, 2 * M_PI);
    c.SetColor(Hex(0x0B0D10));
    cairo_fill(cr);
  }
}

void Arrow(Canvas& c, double x, double y, bool right, State st) {
  ButtonFace(c, x, y, kArrowW, kArrowH, st);
  cairo_t* cr = c.Cr();
  const double cx = x + kArrowW / 2.0 + (right ? 1 : -1),
               cy = y + kArrowH / 2.0 + (st == State::Down ? 1 : 0);
  const double d = right ? 1 : -1;
  cairo_move_to(cr, cx - 3 * d, cy - 5);
  cairo_line_to(cr, cx + 3 * d, cy);
  cairo_line_to(cr, cx - 3 * d, cy + 5);
  cairo_close_path(cr);
  c.SetColor(st == State::Normal ? color::kGreen : LabelColor(st));
  cairo_fill(cr);
}

void LevelRow(Canvas& c, double x, double y, const std::string& text, Script s, State st) {
  ButtonFace(c, x, y, kLevelW, kLevelH, st);
  const double cy = y + kLevelH / 2.0;
  GlowDot(
      c, x + 8, cy, 2.5,
      st == State::Selected ? Hex(0x06230F) : (st == State::Over ? color::kGreen : Hex(0x59636C)),
      0);
  const Font f = s == Script::Latin ? Font{7.5, true} : Font{9.5, true, s};
  const double base = s == Script::Latin ? y + 10.5 : y + 11.5;
  c.Text(text, f, x + 15, base + (st == State::Down ? 1 : 0), LabelColor(st));
}

void PushButton(Canvas& c, double x, double y, const std::string& text, Script s, State st,
                bool primary) {
  ButtonFace(c, x, y, kPushW, kPushH, st, primary);
  const Font f = s == Script::Latin ? Font{10.5, true} : Font{12, true, s};
  c.Text(text, f, x + kPushW / 2.0,
         y + (s == Script::Latin ? 19 : 20) + (st == State::Down ? 1 : 0), LabelColor(st),
         Align::Center);
}

void ReductionBar(Canvas& c, double x, double y) {
  c.RoundRectPath(x + 0.5, y + 0.5, kBarW - 1, kBarH - 1, 4);
  c.SetColor(Hex(0x1A1F24));
  cairo_fill_preserve(c.Cr());
  c.SetColor(Hex(0x2E353C));
  cairo_set_line_width(c.Cr(), 1);
  cairo_stroke(c.Cr());
}

// A recessed plate of the flat panel colour, `pad` pixels round a rectangle.
void Plate(Canvas& c, double x, double y, double w, double h, double pad) {
  Panel(c, x - pad, y - pad, w + 2 * pad, h + 2 * pad);
}

Image RenderBackground(Script s, Platform p) {
  const Labels& L = LabelsFor(s);
  const bool p67 = p == Platform::P67;
  const int height = p67 ? kHeightP67 : kHeightTall;
  Canvas c(kWidth, height);
  WindowShell(
      c,
      [&] {
        c.RoundRectPath(0, 16, kWidth, height - 16, 20);
        c.RoundRectPath(14, 0, 250, 42, 12);
      },
      [&] {
        cairo_t* cr = c.Cr();
        cairo_move_to(cr, 130, height + 1);
        cairo_line_to(cr, 140, height - 8);
        cairo_line_to(cr, 300, height - 8);
        cairo_line_to(cr, 310, height + 1);
        cairo_close_path(cr);
      });
  DrawPowerLeaf(c, 36, 24, 10, color::kGreen);
  if (s == Script::Latin) {
    c.Text(L.title, Font{12, true}, 54, 29, color::kText);
  } else {
    c.Text(L.title, Font{14, true, s}, 54, 30, color::kText);
  }
  // Side band.
  const double bandBottom = height - 20;
  c.RoundRectPath(14, 56, 84, bandBottom - 56, 10);
  cairo_pattern_t* band = cairo_pattern_create_linear(0, 56, 0, bandBottom);
  cairo_pattern_add_color_stop_rgba(band, 0, 0.24, 0.89, 0.5, 0.16);
  cairo_pattern_add_color_stop_rgba(band, 1, 0.24, 0.89, 0.5, 0.02);
  cairo_set_source(c.Cr(), band);
  cairo_fill(c.Cr());
  cairo_pattern_destroy(band);
  DrawPowerLeaf(c, 56, 96, 18, color::kGreen);
  cairo_save(c.Cr());
  cairo_translate(c.Cr(), 62, bandBottom - 16);
  cairo_rotate(c.Cr(), -M_PI / 2);
  if (s == Script::Latin) {
    Caption(c, L.side, s, 0, 0, color::kGreen);
  } else {
    c.Text(L.side, Font{13, true, s}, 0, 4, color::kGreen);
  }
  cairo_restore(c.Cr());
  c.Text(p == Platform::X58   ? "X58"
         : p == Platform::P55 ? "P55"
         : p67                ? "P67"
                              : "",
         Font{9, true}, 56, 136, color::kTextDim, Align::Center);

  const Font small = SmallFont(s);
  const double capDrop = s == Script::Latin ? 6 : 5;
  // Level buttons.
  const int levelLeft = p67 ? 119 : 297;
  Plate(c, levelLeft, 73, kLevelW, 48, 4);
  c.Text(L.level, small, levelLeft - 4, 73 - capDrop - 4, color::kTextDim);
  const int levelTops[3] = {73, 89, 106};
  for (int i = 0; i < 3; ++i) {
    LevelRow(c, levelLeft, levelTops[i], L.levels[i], s, State::Normal);
  }
  // Time-out lists: a slot where the program puts each list's face.
  const Point monitor = p67 ? Point{132, 164} : Point{398, 164};
  const Point disk = p67 ? Point{450, 164} : Point{134, 244};
  for (const auto& [at, text] : {std::pair{monitor, L.monitor}, std::pair{disk, L.disk}}) {
    Plate(c, at.x, at.y, kComboW, 22, 3);
    c.Text(text, small, at.x - 3, at.y - capDrop - 3, color::kTextDim);
  }
  if (!p67) {
    // Reduction sliders with their arrows and value labels.
    const struct {
      Point left, right, slider, label;
    } sliders[] = {{{114, 85}, {254, 85}, {136, 84}, {170, 110}},
                   {{376, 245}, {516, 245}, {398, 243}, {439, 267}}};
    for (const auto& sl : sliders) {
      Panel(c, sl.left.x - 5, sl.slider.y - 4, 2 * kArrowW + kTrackW + 10, 50);
      c.Text(L.reduction, small, sl.left.x - 5, sl.slider.y - capDrop - 6, color::kTextDim);
      c.DrawImage(SliderTrack(), sl.slider.x, sl.slider.y);
      Arrow(c, sl.left.x, sl.left.y, false, State::Normal);
      Arrow(c, sl.right.x, sl.right.y, true, State::Normal);
      ReductionBar(c, sl.label.x, sl.label.y);
    }
  }
  // Toggles last, so a socket that meets a slider panel sits on top of it. Each has its own
  // socket with its name above (the PCH name goes below where
  // the toggles of a row stand too close for names above both).
  for (int i = 0; i < 9; ++i) {
    const Point at = TogglePlace(p, i);
    if (at.x < 0) {
      continue;
    }
    Plate(c, at.x, at.y, kToggle, kToggle, 3);
    ToggleLamp(c, at.x, at.y, false);
    const bool below = i == 8 && p == Platform::P55;
    const double baseline = below ? at.y + kToggle + 15 : at.y - capDrop - 2;
    c.Text(L.toggles[i], small, at.x + kToggle / 2.0, baseline, color::kTextDim, Align::Center);
  }
  // A line of help where the layout leaves room.
  const Font hint = s == Script::Latin ? Font{8.5, false} : Font{10.5, false, s};
  c.Text(L.hint, hint, p67 ? 112 : 114, p67 ? 300 : 203, Hex(0x67727C));
  // SAVE and QUIT on a footer plate.
  const int pushTop = p67 ? 303 : 346;
  Plate(c, 378, pushTop, 482 + kPushW - 378, kPushH, 5);
  PushButton(c, 378, pushTop, L.save, s, State::Normal, true);
  PushButton(c, 482, pushTop, L.quit, s, State::Normal, false);
  return c.Snapshot(color::kRim);
}

}  // namespace

ResourceLibrary BuildAdvancedLibrary(const char* name, Script script) {
  const Labels& L = LabelsFor(script);
  ResourceLibrary lib(name);
  lib.Add("Main", RenderBackground(script, Platform::Other));
  lib.Add("Main_X58", RenderBackground(script, Platform::X58));
  lib.Add("Main_P55", RenderBackground(script, Platform::P55));
  lib.Add("MAIN_P67", RenderBackground(script, Platform::P67));
  lib.Add("RDO_Off", OnPlate(kToggle, kToggle, [](Canvas& c) { ToggleLamp(c, 0, 0, false); }));
  lib.Add("RDO_On", OnPlate(kToggle, kToggle, [](Canvas& c) { ToggleLamp(c, 0, 0, true); }));
  lib.Add("BBar", OnPlate(kBarW, kBarH, [](Canvas& c) { ReductionBar(c, 0, 0); }));
  const struct {
    const char* suffix;
    State st;
  } states[] = {{"_N", State::Normal}, {"_O", State::Over}, {"_D", State::Down}};
  for (const auto& st : states) {
    lib.Add(std::string("SAVE") + st.suffix, OnPlate(kPushW, kPushH, [&](Canvas& c) {
              PushButton(c, 0, 0, L.save, script, st.st, true);
            }));
    lib.Add(std::string("QUIT") + st.suffix, OnPlate(kPushW, kPushH, [&](Canvas& c) {
              PushButton(c, 0, 0, L.quit, script, st.st, false);
            }));
    lib.Add(std::string("L") + st.suffix,
            OnPlate(kArrowW, kArrowH, [&](Canvas& c) { Arrow(c, 0, 0, false, st.st); }));
    lib.Add(std::string("R") + st.suffix,
            OnPlate(kArrowW, kArrowH, [&](Canvas& c) { Arrow(c, 0, 0, true, st.st); }));
  }
  const struct {
    const char* suffix;
    State st;
  } levelStates[] = {
      {"_N", State::Normal}, {"_O", State::Over}, {"_D", State::Down}, {"_dis", State::Selected}};
  for (int i = 0; i < 3; ++i) {
    for (const auto& st : levelStates) {
      lib.Add("LV" + std::to_string(i + 1) + st.suffix, OnPlate(kLevelW, kLevelH, [&](Canvas& c) {
                LevelRow(c, 0, 0, L.levels[i], script, st.st);
              }));
    }
  }
  return lib;
}

}  // namespace zor::skins
