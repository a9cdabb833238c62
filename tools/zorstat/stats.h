// zorstat's sums over the energy history: per day, per month and overall, as text and as a
// self-contained HTML page with a chart of the last 90 days.
#pragma once

#include <string>
#include <vector>

#include "common/energy_history.h"

namespace zor {

struct PeriodTotal {
  int year = 0;
  int month = 0;
  int day = 0;  // 0 for a month's total
  double energy = 0;
  double seconds = 0;
};

struct HistoryTotals {
  std::vector<PeriodTotal> days;    // oldest first, only days with hours
  std::vector<PeriodTotal> months;  // oldest first
  double energy = 0;
  double seconds = 0;
  size_t hours = 0;  // distinct hours: a restart within an hour gives that hour a second line
};

HistoryTotals Summarise(const std::vector<HistoryHour>& hours);

// Days since 1970-01-01 of a calendar date (proleptic Gregorian).
long DayNumber(int year, int month, int day);

std::string TextReport(const HistoryTotals& totals);

constexpr int kChartDays = 90;
std::string HtmlReport(const HistoryTotals& totals);

}  // namespace zor
