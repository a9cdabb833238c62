#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "common/info_store.h"

namespace zor {
namespace {

TEST(ProfileConversions, IntegerAsAtoi) {
  const std::pair<const char*, int> cases[] = {
      {"3 Mins", 3},         {"1 hour", 1},       {"Never", 0},          {"12.600000", 12},
      {"  \t-42x", -42},     {"+7", 7},           {"", 0},               {"-", 0},
      {"- 5", 0},            {"2147483647", INT_MAX}, {"2147483648", INT_MAX},
      {"-2147483648", INT_MIN}, {"-99999999999999999999", INT_MIN}, {"0086399", 86399},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ProfileInt(text), expected) << text;
  // The GUI's whole seconds from the service's figure.
  EXPECT_EQ(ProfileInt("86399.900000"), 86399);
}

TEST(ProfileConversions, RealAsAtof) {
  const std::pair<const char*, double> cases[] = {
      {"1234.500000", 1234.5}, {"0.000001", 0.000001}, {"  -2.5e3W", -2500.0}, {".5", 0.5},
      {"5.", 5.0},             {"7e", 7.0},            {"7e+", 7.0},         {"abc", 0.0},
      {"", 0.0},               {".", 0.0},             {"0x1p3", 0.0},       {"inf", 0.0},
      {"nan", 0.0},            {"1e-400", 0.0},        {"3,5", 3.0},
  };
  for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(ProfileReal(text), expected) << text;
  EXPECT_TRUE(std::isinf(ProfileReal("1e400")));
  EXPECT_EQ(ProfileReal("0.000000"), 0.0);
  EXPECT_NE(ProfileReal("0.000001"), 0.0);
}

TEST(ProfileConversions, TimeoutTextsToMinutes) {
  const std::pair<const char*, int> cases[] = {
      {"3 Mins", 3},    {"45 Mins", 45},   {"1 hour", 60},        {"1 Hour", 60},
      {"2 hours", 120}, {"3 Hours", 180},  {"Never", 0},          {"3 mins", 180},
      {"99999999 hours", INT_MAX},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(TimeoutMinutes(text), expected) << text;
}

}  // namespace
}  // namespace zor
