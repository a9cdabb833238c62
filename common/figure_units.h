// The figures the product shows, each with its name and unit, in one place so that the tooltip, the
// report and any window text say the same thing.
//
// The saving figure is the firmware's own: it grows with the current drawn, weighted by the saving
// level. The firmware does not say what physical quantity it is, so it is shown in "units" and never
// as joules or watt-hours. What is measured (the CPU's power, ten times a second) is in W and Wh.
#pragma once

#include <string>

namespace zor {

enum class Figure {
  kCpuPower,      // W, as measured
  kCpuEnergy,     // Wh, the measured power over time; kWh from 1000 Wh on
  kSavingFigure,  // the firmware's saving figure, in its own units
};

// What a figure is called where it is shown with a value.
const char* FigureName(Figure figure);
// The unit as written after a value ("W", "Wh", "units").
const char* FigureUnit(Figure figure);

// The value with its unit ("12.3 W", "1.25 kWh", "0.123 units"). A value that is not finite or is
// negative reads as 0; one beyond a trillion is held there.
std::string FigureWithUnit(Figure figure, double value);

// Measured energy in Wh at a price per kWh: "0.42 EUR". Empty when no price or currency is set.
std::string MoneyText(double wattHours, double pricePerKwh, const std::string& currency);

}  // namespace zor
