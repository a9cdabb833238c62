#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/figure_units.h"

namespace zor {
namespace {

struct FigureCase {
  Figure figure;
  double value;
  const char* text;
};

// Every figure a person reads carries its unit; the firmware's saving figure is never given a
// physical one; what cannot be a figure reads as 0.
TEST(FigureUnits, EachValueReadsWithItsUnit) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const FigureCase cases[] = {
      {Figure::kCpuPower, 12.34, "12.3 W"},
      {Figure::kCpuPower, 0, "0.0 W"},
      {Figure::kCpuPower, -5, "0.0 W"},
      {Figure::kCpuPower, nan, "0.0 W"},
      {Figure::kCpuEnergy, 0.04, "0.0 Wh"},
      {Figure::kCpuEnergy, 999.94, "999.9 Wh"},
      {Figure::kCpuEnergy, 1000, "1.00 kWh"},
      {Figure::kCpuEnergy, 123456, "123.46 kWh"},
      {Figure::kCpuEnergy, inf, "0.0 Wh"},
      {Figure::kSavingFigure, 0.1234, "0.123 units"},
      {Figure::kSavingFigure, 45678.9, "45678.900 units"},
      {Figure::kSavingFigure, 1e300, "1000000000000.000 units"},
  };
  for (const FigureCase& c : cases) {
    EXPECT_EQ(FigureWithUnit(c.figure, c.value), c.text) << FigureName(c.figure) << " " << c.value;
  }
}

TEST(FigureUnits, MoneyOnlyWhereAPriceAndCurrencyAreSet) {
  EXPECT_EQ(MoneyText(2500, 0.3, "EUR"), "0.75 EUR");
  EXPECT_EQ(MoneyText(2500, 0, "EUR"), "");
  EXPECT_EQ(MoneyText(2500, 0.3, ""), "");
  EXPECT_EQ(MoneyText(2500, std::nan(""), "EUR"), "");
  // A currency longer than any real one is cut, not let run past the text.
  EXPECT_EQ(MoneyText(1000, 1, std::string(100, 'X')), "1.00 " + std::string(16, 'X'));
}

}  // namespace
}  // namespace zor
