// zorstat's sums over the energy history: per day, per month and overall, as text and as a
// self-contained HTML page with a chart of the 90 days up to today; the hours as CSV.
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
  double energy = 0;   // the saving figure, in its units
  double seconds = 0;  // of saving
  double cpuWh = 0;    // measured
  double cpuWhSaving = 0;
  double measuredSeconds = 0;
  // The saving time of the hours that carry measured figures (not those of older files), for the
  // average power while saving.
  double measuredSavingSeconds = 0;
};

struct HistoryTotals {
  std::vector<PeriodTotal> days;    // oldest first, only days with hours
  std::vector<PeriodTotal> months;  // oldest first
  PeriodTotal all;
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

// What the user set in INFO.DAT to see the measured energy as money; no price, no money.
struct ReportPrice {
  double perKwh = 0;
  std::string currency;
};
// A price as the user may write it, with a point or a comma: 0 when it is none.
double ParsePrice(const std::string& text);

// Average power over an energy and a time, as text with its unit; "-" without time.
std::string AveragePower(double wattHours, double seconds);

std::string TextReport(const HistoryTotals& totals, const ReportPrice& price = ReportPrice());

constexpr int kChartDays = 90;
// The chart ends on today (a day number).
std::string HtmlReport(const HistoryTotals& totals, long today, const ReportPrice& price = ReportPrice());

// The header of the CSV export and one hour's row, the figures with the user's decimal mark and the
// separator that suits it (";" where the mark is ",").
std::string CsvHeader(char decimalMark);
std::string CsvRow(const HistoryHour& hour, char decimalMark);

}  // namespace zor
