// The message box: a light "paper" panel for the text, the buttons on the graphite to its right.
// Its buttons are drawn by the program only once the pointer moves, so each picture carries them
// too, pixel for pixel as the button bitmaps.

#include <cmath>
#include <vector>

#include "skins/generator/skins.h"
#include "skins/generator/style.h"
#include "skins/generator/widgets.h"

namespace zor::skins {
namespace {

constexpr int kWidth = 472;
constexpr int kHeight = 96;
constexpr int kButtonW = 80;
constexpr int kButtonH = 28;
constexpr int kButtonTop = 20;
constexpr int kFirstOfPair = 290;
constexpr int kLastButton = 380;

enum class Buttons { Ok, YesNo };
enum class Mark { None, Question, Warning };

struct Message {
  const char* name;
  Buttons buttons;
  Mark mark;
  std::vector<const char*> lines;  // our own wording; empty where the program writes the text
  Script script = Script::Latin;
};

void Shape(Canvas& c) {
  c.RoundRectPath(0, 10, kWidth, kHeight - 10, 12);
  c.RoundRectPath(18, 0, 132, 24, 7);  // the name tab
}

void Notch(Canvas& c) {
  cairo_t* cr = c.Cr();
  cairo_move_to(cr, 396, kHeight + 1);
  cairo_line_to(cr, 402, kHeight - 6);
  cairo_line_to(cr, 438, kHeight - 6);
  cairo_line_to(cr, 444, kHeight + 1);
  cairo_close_path(cr);
}

void Shell(Canvas& c, Buttons buttons) {
  WindowShell(
      c, [&] { Shape(c); }, [&] { Notch(c); });
  c.Text("ZORWISE", Font{8.5, true}, 31, 8.5, color::kGreen);
  // Paper panel where the text goes.
  const double right = buttons == Buttons::Ok ? 372 : 282;
  c.RoundRectPath(10, 13, right - 10, 75, 6);
  c.SetColor(color::kRim);
  cairo_fill(c.Cr());
  c.RoundRectPath(11, 14, right - 12, 73, 5);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 14, 0, 87);
  cairo_pattern_add_color_stop_rgb(p, 0, color::kPaperTop.r, color::kPaperTop.g,
                                   color::kPaperTop.b);
  cairo_pattern_add_color_stop_rgb(p, 1, color::kPaperBottom.r, color::kPaperBottom.g,
                                   color::kPaperBottom.b);
  cairo_set_source(c.Cr(), p);
  cairo_fill(c.Cr());
  cairo_pattern_destroy(p);
  // Green energy line along the panel's foot.
  c.FillRect(16, 84, right - 32, 1.5, color::kGreenDeep, 0.8);
  // Quiet brand mark under the buttons.
  DrawPowerLeaf(c, 446, 72, 6, color::kTextFaint);
}

void Button(Canvas& c, double x, const char* label, State s, bool primary) {
  ButtonFace(c, x, kButtonTop, kButtonW, kButtonH, s, primary);
  c.Text(label, Font{11, true}, x + kButtonW / 2.0, kButtonTop + 18.5 + (s == State::Down ? 1 : 0),
         LabelColor(s), Align::Center);
}

void MarkIcon(Canvas& c, Mark mark) {
  const double cx = 32, cy = 39;
  cairo_t* cr = c.Cr();
  if (mark == Mark::Question) {
    cairo_arc(cr, cx, cy, 13, 0, 2 * M_PI);
    c.SetColor(color::kGreenDeep);
    cairo_fill(cr);
    c.Text("?", Font{17, true}, cx, cy + 6.5, {1, 1, 1}, Align::Center);
  } else if (mark == Mark::Warning) {
    cairo_move_to(cr, cx, cy - 14);
    cairo_line_to(cr, cx + 15, cy + 12);
    cairo_line_to(cr, cx - 15, cy + 12);
    cairo_close_path(cr);
    c.SetColor(Hex(0xE39A1C));
    cairo_fill(cr);
    c.Text("!", Font{15, true}, cx, cy + 9, color::kInk, Align::Center);
  }
}

Image Render(const Message& m) {
  Canvas c(kWidth, kHeight);
  Shell(c, m.buttons);
  MarkIcon(c, m.mark);
  double baseline = m.lines.size() >= 3 ? 33 : 42;
  const Font font = m.script == Script::Latin ? Font{11.5, false} : Font{12.5, false, m.script};
  for (const char* line : m.lines) {
    c.Text(line, font, 58, baseline, color::kInk);
    baseline += 18;
  }
  if (m.buttons == Buttons::Ok) {
    Button(c, kLastButton, "OK", State::Normal, true);
  } else {
    Button(c, kFirstOfPair, "YES", State::Normal, true);
    Button(c, kLastButton, "NO", State::Normal, false);
  }
  return c.Snapshot(color::kRim);
}

Image RenderButton(int x, const char* label, State s, bool primary) {
  Canvas c(kWidth, kHeight);
  Shell(c, Buttons::YesNo);
  Button(c, x, label, s, primary);
  return c.Snapshot(color::kRim).Crop(x, kButtonTop, kButtonW, kButtonH);
}

}  // namespace

ResourceLibrary BuildMessageLibrary() {
  ResourceLibrary lib("res");
  const std::vector<Message> messages = {
      {"MSG_1",
       Buttons::Ok,
       Mark::Warning,
       {"The energy-saving data of this board's", "firmware could not be read.",
        "The program will now close."}},
      // 6 and 7 get their text from the program, written in black over the paper.
      {"MSG_6", Buttons::Ok, Mark::None, {}},
      {"MSG_7", Buttons::YesNo, Mark::None, {}},
      // Simplified Chinese systems get no text from the program: notices 8 and 9 (which share
      // MSG_6 elsewhere) carry theirs in pictures of their own.
      {"MSG_SC_8",
       Buttons::Ok,
       Mark::Warning,
       {"此主板或 CPU 不支持 Zorwise 功能。"},
       Script::SimplifiedChinese},
      {"MSG_SC_9",
       Buttons::Ok,
       Mark::Warning,
       {"为发挥 Zorwise 的最大效能，",
        "请进入 CMOS 设置，",
        "启用 EIST 和 C1E 项目。"},
       Script::SimplifiedChinese},
      {"MSG_8",
       Buttons::YesNo,
       Mark::Question,
       {"Energy saving is on. Keep it", "working after the program", "closes?"}},
      {"MSG_9",
       Buttons::Ok,
       Mark::Warning,
       {"This firmware version is not supported.", "Please update the board's BIOS.",
        "The program will now close."}},
      {"MSG_12",
       Buttons::YesNo,
       Mark::Question,
       {"Switching the low-power state on", "needs Windows to restart.", "Restart now?"}},
      {"MSG_13",
       Buttons::YesNo,
       Mark::Question,
       {"Switching the low-power state off", "needs Windows to restart.", "Restart now?"}},
  };
  for (const Message& m : messages) {
    lib.Add(m.name, Render(m));
  }
  struct Face {
    const char* prefix;
    const char* label;
    int x;
    bool primary;
  };
  const Face faces[] = {{"MSG_OK", "OK", kLastButton, true},
                        {"MSG_YES", "YES", kFirstOfPair, true},
                        {"MSG_NO", "NO", kLastButton, false}};
  for (const Face& f : faces) {
    const std::string p = f.prefix;
    lib.Add(p + "_N", RenderButton(f.x, f.label, State::Normal, f.primary));
    lib.Add(p + "_O", RenderButton(f.x, f.label, State::Over, f.primary));
    lib.Add(p + "_D", RenderButton(f.x, f.label, State::Down, f.primary));
  }
  return lib;
}

}  // namespace zor::skins
