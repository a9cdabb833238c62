// zorstat's sums over the energy history: per day, per month and overall, as text and as a
// self-contained HTML page with a chart of the 90 days up to today.
#pragma once

#include <cstdint>
#include <map>
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
  size_t hours = 0;    // distinct hours: a restart within an hour gives that hour a second line
  size_t refused = 0;  // lines that are no sound hour (damaged, or dated after today), not counted
};

// Days since 1970-01-01 of a calendar date (proleptic Gregorian).
long DayNumber(int year, int month, int day);

// Sums hours one at a time, in memory that grows with the days recorded, not with the lines read.
class HistorySummer {
 public:
  // Hours dated after the day today (a day number) are refused: a clock once set ahead, or a
  // crafted line, must not carry the report into the future.
  explicit HistorySummer(long today);
  void Add(const HistoryHour& hour);
  // Lines the reader refused, counted with the rest.
  void AddRefused(size_t lines) { m_refused += lines; }
  HistoryTotals Totals() const;

 private:
  struct Day {
    PeriodTotal total;
    uint32_t hours = 0;  // one bit per hour of the day
  };
  long m_today;
  std::map<long, Day> m_days;
  size_t m_refused = 0;
};

std::string TextReport(const HistoryTotals& totals);

constexpr int kChartDays = 90;
// The chart ends on today (a day number).
std::string HtmlReport(const HistoryTotals& totals, long today);

}  // namespace zor
