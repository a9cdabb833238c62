// The energy history: whole lines only, a torn line costs only itself, a bound of about three years,
// hours collected by the clock, and zorstat's sums equal to the hours they sum.
#include <gtest/gtest.h>

#include <fstream>

#include "common/energy_history.h"
#include "tests/unit/store/store_dir.h"
#include "tools/zorstat/stats.h"

namespace zor {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

HistoryHour Hour(int y, int m, int d, int h, double energy, double seconds) {
  HistoryHour hour;
  hour.when = {y, m, d, h};
  hour.energy = energy;
  hour.seconds = seconds;
  return hour;
}

TEST(EnergyHistory, ATornLineCostsOnlyItself) {
  StoreDir dir;
  const std::string path = dir.File(kHistoryFileName);
  ASSERT_TRUE(AppendHistoryHour(path, Hour(2026, 1, 1, 0, 1.5, 3600)));
  ASSERT_TRUE(AppendHistoryHour(path, Hour(2026, 1, 1, 1, 2.25, 1800)));
  // Cut by a crash inside the seconds: ended by a newline, it would read as an hour of 36 s.
  std::ofstream(path, std::ios::app | std::ios::binary) << "2026-01-01T02,0.700000,36";
  EXPECT_EQ(ParseHistory(Slurp(path)).size(), 2u);

  ASSERT_TRUE(AppendHistoryHour(path, Hour(2026, 1, 1, 3, 4.0, 60)));
  const std::string after = Slurp(path);
  EXPECT_EQ(after.find("T02"), std::string::npos);
  const std::vector<HistoryHour> hours = ParseHistory(after);
  ASSERT_EQ(hours.size(), 3u);
  EXPECT_EQ(hours[1].when, (HourStamp{2026, 1, 1, 1}));
  EXPECT_EQ(hours[2].when, (HourStamp{2026, 1, 1, 3}));
  EXPECT_DOUBLE_EQ(hours[2].energy, 4.0);
  // A file cut inside its first line, and an empty one, start again with the header.
  for (const char* start : {"hour,ene", ""}) {
    std::ofstream(path, std::ios::binary) << start;
    ASSERT_TRUE(AppendHistoryHour(path, Hour(2026, 1, 1, 4, 1.0, 1.0)));
    EXPECT_EQ(Slurp(path), "hour,energy,seconds\n2026-01-01T04,1.000000,1.0\n") << start;
  }
  // Lines from another platform's editor, and damage in the middle, are read past too.
  EXPECT_EQ(ParseHistory("hour,energy,seconds\r\n2026-02-03T04,1.0,2.0\r\nrubbish\n"
                         "2026-13-03T04,1.0,2.0\n2026-02-03T24,1.0,2.0\n2026-02-03T05,-1,2.0\n"
                         "2026-02-03T05,1.0,2.0\n")
                .size(),
            2u);
}

TEST(EnergyHistory, KeepsAboutThreeYears) {
  StoreDir dir;
  const std::string path = dir.File(kHistoryFileName);
  std::string content = "hour,energy,seconds\n";
  const size_t full = kHistoryKeepHours + kHistorySlackHours;
  for (size_t i = 0; i < full; ++i) {
    content += FormatHistoryLine(Hour(2020 + static_cast<int>(i / 8760), 1, 1, static_cast<int>(i % 24), 1.0, 1.0));
  }
  std::ofstream(path, std::ios::binary) << content;
  ASSERT_TRUE(AppendHistoryHour(path, Hour(2030, 6, 1, 12, 9.0, 9.0)));
  const std::vector<HistoryHour> hours = ParseHistory(Slurp(path));
  ASSERT_EQ(hours.size(), kHistoryKeepHours);
  EXPECT_EQ(hours.back().when, (HourStamp{2030, 6, 1, 12}));
  // The hours kept are the newest ones.
  EXPECT_EQ(ParseHistory(content)[full - kHistoryKeepHours + 1].when, hours.front().when);
}

TEST(EnergyHistory, RecorderWritesEachHourOnceItIsOverAndOnStop) {
  StoreDir dir;
  const std::string path = dir.File(kHistoryFileName);
  {
    HourlyRecorder recorder(path);
    for (int tenth = 0; tenth < 20; ++tenth) recorder.Add({2026, 12, 31, 23}, 0.5, 0.1);
    EXPECT_TRUE(ParseHistory(Slurp(path)).empty());
    recorder.Add({2027, 1, 1, 0}, 0.25, 0.1);  // the year turns: 23 h is over
    EXPECT_EQ(ParseHistory(Slurp(path)).size(), 1u);
    recorder.Flush();  // the service stops within the hour
    recorder.Add({2027, 1, 1, 0}, 0.0, 0.0);
    recorder.Flush();  // an hour without saving writes nothing
  }
  HourlyRecorder restarted(path);  // and starts again within the same hour
  restarted.Add({2027, 1, 1, 0}, 0.75, 0.1);
  restarted.Flush();

  const std::vector<HistoryHour> hours = ParseHistory(Slurp(path));
  ASSERT_EQ(hours.size(), 3u);
  EXPECT_DOUBLE_EQ(hours[0].energy, 10.0);
  EXPECT_NEAR(hours[0].seconds, 2.0, 1e-6);
  const HistoryTotals totals = Summarise(hours);
  ASSERT_EQ(totals.days.size(), 2u);
  EXPECT_DOUBLE_EQ(totals.days[1].energy, 1.0);  // both lines of 0 h, one day
  EXPECT_EQ(totals.hours, 2u);
  ASSERT_EQ(totals.months.size(), 2u);
  EXPECT_EQ(totals.months[0].year, 2026);
  EXPECT_DOUBLE_EQ(totals.energy, 11.0);
}

TEST(Zorstat, SumsEqualTheHoursAndTheChartEndsOnTheLastDay) {
  std::vector<HistoryHour> hours;
  double sum = 0;
  // 200 days from 2026-11-15, one saving hour a day growing by 0.01.
  static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int y = 2026, m = 11, d = 15;
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(DayNumber(y, m, d), DayNumber(2026, 11, 15) + i);
    hours.push_back(Hour(y, m, d, 10, 0.01 * (i + 1), 3600));
    sum += hours.back().energy;
    if (++d > kMonthDays[m - 1]) {
      d = 1;
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
  }
  const HistoryTotals totals = Summarise(hours);
  EXPECT_NEAR(totals.energy, sum, 1e-9);
  double months = 0;
  for (const PeriodTotal& month : totals.months) months += month.energy;
  EXPECT_NEAR(months, sum, 1e-9);
  EXPECT_EQ(totals.days.size(), 200u);
  EXPECT_EQ(totals.months.size(), 8u);  // 2026-11 to 2027-06

  const std::string html = HtmlReport(totals);
  size_t bars = 0;
  for (size_t at = html.find("class=\"bar\""); at != std::string::npos; at = html.find("class=\"bar\"", at + 1)) ++bars;
  EXPECT_EQ(bars, static_cast<size_t>(kChartDays));
  EXPECT_NE(html.find("<title>2027-06-02: 2.000000</title>"), std::string::npos);  // the last day
  EXPECT_EQ(html.find("http://"), html.find("http://www.w3.org/2000/svg"));      // nothing fetched
  EXPECT_EQ(DayNumber(1970, 1, 1), 0);
  EXPECT_EQ(DayNumber(2000, 3, 1), 11017);
}

}  // namespace
}  // namespace zor
