#include "gui/app/digit_strip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gui/app/main_layout.h"
#include "gui/controls/drawing.h"

namespace zor {

namespace {

constexpr double kLargestShown = 1e12;
constexpr int kPointIndex = 10;

// A picture the skin lacks draws nothing.
void Draw(ui::Canvas& dc, const ui::Bitmap& picture, int x, int y) {
  DrawMaskedBitmap(dc, picture, picture, x, y);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int Clamp(int value, int low, int high) { return std::min(std::max(value, low), high); }

}  // namespace

std::string FigureText(double value, const char* format) {
  if (!std::isfinite(value) || value < 0) value = 0;
  value = std::min(value, kLargestShown);
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void DrawRightStrip(ui::Canvas& dc, const ui::Bitmap* font, const std::string& text) {
  const int digits = static_cast<int>(std::count_if(text.begin(), text.end(), IsDigit));
  int x = layout::kRightStripX;
  if (digits < layout::kRightStripCells) x += (layout::kRightStripCells - digits) * layout::kDigitAdvance;
  int drawn = 0;
  for (char c : text) {
    if (IsDigit(c)) {
      Draw(dc, font[c - '0'], x, layout::kRightStripY);
      x += layout::kDigitAdvance;
      if (++drawn == layout::kRightStripMaxDigits) break;
    } else if (c == '.') {
      Draw(dc, font[kPointIndex], x + layout::kPointDx, layout::kRightStripY + layout::kPointDy);
    }
  }
}

void DrawLeftStrip(ui::Canvas& dc, const ui::Bitmap* font, const std::string& text) {
  int x = layout::kLeftStripX;
  for (char c : text) {
    if (x > layout::kLeftStripLastX) break;
    if (IsDigit(c)) {
      Draw(dc, font[c - '0'], x, layout::kLeftStripY);
      x += layout::kDigitAdvance;
    } else if (c == '.') {
      Draw(dc, font[kPointIndex], x + layout::kPointDx, layout::kLeftStripY + layout::kPointDy);
    }
  }
}

RunningTime SplitSaveTime(int32_t seconds) {
  const uint32_t s = seconds < 0 ? 0u : static_cast<uint32_t>(seconds);
  RunningTime t;
  t.days = static_cast<int>(std::min<uint32_t>(s / 86400, 99));
  t.hours = static_cast<int>((s % 86400) / 3600);
  t.minutes = static_cast<int>((s % 3600) / 60);
  return t;
}

void DrawTwoDigits(ui::Canvas& dc, const ui::Bitmap* font, int value, const int* xs, int y) {
  value = Clamp(value, 0, 99);
  Draw(dc, font[value / 10], xs[0], y);
  Draw(dc, font[value % 10], xs[1], y);
}

void DrawSinceDate(ui::Canvas& dc, const ui::Bitmap* font, const LocalTime& start) {
  const int y = layout::kSinceY;
  DrawTwoDigits(dc, font, Clamp(start.wHour, 0, 23), layout::kSinceHourX, y);
  Draw(dc, font[10], layout::kSinceColon1X, y);
  DrawTwoDigits(dc, font, Clamp(start.wMinute, 0, 59), layout::kSinceMinuteX, y);
  Draw(dc, font[10], layout::kSinceColon2X, y);
  DrawTwoDigits(dc, font, Clamp(start.wSecond, 0, 59), layout::kSinceSecondX, y);
  Draw(dc, font[11], layout::kSinceGapX, y);
  const int month = Clamp(start.wMonth, 1, 12);
  if (month >= 10) Draw(dc, font[month / 10], layout::kSinceMonthX[0], y);
  Draw(dc, font[month % 10], layout::kSinceMonthX[1], y);
  Draw(dc, font[12], layout::kSinceSlash1X, y);
  const int day = Clamp(start.wDay, 1, 31);
  if (day >= 10) Draw(dc, font[day / 10], layout::kSinceDayX[0], y);
  Draw(dc, font[day % 10], layout::kSinceDayX[1], y);
  Draw(dc, font[12], layout::kSinceSlash2X, y);
  const int year = Clamp(start.wYear, 0, 9999);
  const int divisors[4] = {1000, 100, 10, 1};
  for (int i = 0; i < 4; ++i) Draw(dc, font[year / divisors[i] % 10], layout::kSinceYearX[i], y);
}

}  // namespace zor
