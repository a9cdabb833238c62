// Numbers drawn as rows of digit pictures in the main window's places. A font is an array of
// pictures: 0-9 the digits, 10 the decimal point (or a separator), 11 and 12 more separators.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_info.h"
#include "ui/canvas.h"
#include "ui/image.h"

namespace zor {

// value in format ("%.3f" or "%f"). What the fonts cannot show is shown as 0: a value that is
// not finite or is negative; one beyond a trillion is held there.
std::string FigureText(double value, const char* format);

// Right-aligned on the figures panel: up to nine digits end at the panel's right; a tenth digit
// is the last drawn.
void DrawRightStrip(ui::Canvas& dc, const ui::Bitmap* font, const std::string& text);
// Left-aligned on the processor panel: as many digits as fit (four).
void DrawLeftStrip(ui::Canvas& dc, const ui::Bitmap* font, const std::string& text);

struct RunningTime {
  int days = 0;
  int hours = 0;
  int minutes = 0;
};
// Seconds of saving as days, hours and minutes; a negative count is 0, days stop at 99.
RunningTime SplitSaveTime(int32_t seconds);

// Two digits (tens, units) of value at xs[0] and xs[1].
void DrawTwoDigits(ui::Canvas& dc, const ui::Bitmap* font, int value, const int* xs, int y);

// The start date and time, "hh:mm:ss  m/d/yyyy", with fields out of range held to their range.
void DrawSinceDate(ui::Canvas& dc, const ui::Bitmap* font, const LocalTime& start);

}  // namespace zor
