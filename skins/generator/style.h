// The product's look: colours and the widgets every window is built from, so the main window,
// the advanced dialog and the message box read as one family.
#pragma once

#include <functional>
#include <string>

#include "skins/generator/canvas.h"

namespace zor::skins {

namespace color {
constexpr Rgb kBodyTop = Hex(0x2A3036);
constexpr Rgb kBodyBottom = Hex(0x16191D);
constexpr Rgb kRim = Hex(0x07080A);
constexpr Rgb kPanel = Hex(0x0C0F12);
constexpr Rgb kPanelEdge = Hex(0x040506);
constexpr Rgb kText = Hex(0xDDE3E8);
constexpr Rgb kTextDim = Hex(0x8A949E);
constexpr Rgb kTextFaint = Hex(0x4A535C);
constexpr Rgb kGreen = Hex(0x3EE27F);
constexpr Rgb kGreenDeep = Hex(0x15A152);
constexpr Rgb kGreenDark = Hex(0x0E4A2A);
constexpr Rgb kTeal = Hex(0x3FD3C8);
constexpr Rgb kAmber = Hex(0xF2B13C);
constexpr Rgb kOffAccent = Hex(0x76828E);
constexpr Rgb kPaperTop = Hex(0xE9EDF0);
constexpr Rgb kPaperBottom = Hex(0xD2D9DF);
constexpr Rgb kInk = Hex(0x1A1E22);
}  // namespace color

enum class State { Normal, Over, Down, Selected, Disabled };

// The window body: `shape` adds the outline's path (rounded corners, tabs); `notch` the parts cut
// out of it. Filled with the graphite gradient and given a dark rim with a 1-px top light.
void WindowShell(Canvas& c, const std::function<void()>& shape, const std::function<void()>& notch);

// A recessed display panel; its inside is one flat colour so opaque digits blend at any place.
void Panel(Canvas& c, double x, double y, double w, double h);

// A raised rounded button face with a label; `primary` tints its edge green.
void ButtonFace(Canvas& c, double x, double y, double w, double h, State s, bool primary = false);
Rgb LabelColor(State s);

// Section caption: small capitals with letter spacing in Latin, plain in Chinese.
void Caption(Canvas& c, const std::string& text, Script script, double x, double baseline,
             Rgb color, Align align = Align::Left);

// A lit LED-like dot with a glow.
void GlowDot(Canvas& c, double cx, double cy, double r, Rgb color, double glow);

}  // namespace zor::skins
