#include "common/figure_units.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zor {

namespace {

constexpr double kLargestShown = 1e12;

double Shown(double value) {
  if (!std::isfinite(value) || value < 0) return 0;
  return std::min(value, kLargestShown);
}

std::string Printed(const char* format, double value, const char* unit) {
  char text[64];
  std::snprintf(text, sizeof text, format, value, unit);
  return text;
}

}  // namespace

const char* FigureName(Figure figure) {
  switch (figure) {
    case Figure::kCpuPower:
      return "CPU power";
    case Figure::kCpuEnergy:
      return "CPU energy";
    case Figure::kSavingFigure:
      return "Saving figure";
  }
  return "";
}

const char* FigureUnit(Figure figure) {
  switch (figure) {
    case Figure::kCpuPower:
      return "W";
    case Figure::kCpuEnergy:
      return "Wh";
    case Figure::kSavingFigure:
      return "units";
  }
  return "";
}

std::string FigureWithUnit(Figure figure, double value) {
  value = Shown(value);
  switch (figure) {
    case Figure::kCpuPower:
      return Printed("%.1f %s", value, "W");
    case Figure::kCpuEnergy:
      if (value >= 1000) return Printed("%.2f %s", value / 1000, "kWh");
      return Printed("%.1f %s", value, "Wh");
    case Figure::kSavingFigure:
      return Printed("%.3f %s", value, "units");
  }
  return std::string();
}

std::string MoneyText(double wattHours, double pricePerKwh, const std::string& currency) {
  if (!(pricePerKwh > 0) || !std::isfinite(pricePerKwh) || currency.empty()) return std::string();
  const double money = Shown(Shown(wattHours) / 1000 * pricePerKwh);
  char text[64];
  std::snprintf(text, sizeof text, "%.2f %.16s", money, currency.c_str());
  return text;
}

}  // namespace zor
