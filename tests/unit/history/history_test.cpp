// The energy history: whole lines only, a torn line costs only itself, a bound of about three years,
// hours collected by the clock, and zorstat's sums equal to the hours they sum.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

#include "common/energy_history.h"
#include "tests/unit/store/store_dir.h"
#include "apps/zorstat/stats.h"

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
  hour.measuredSeconds = seconds;
  return hour;
}

// The sums of hours, with today the day of the last one.
HistoryTotals Summarise(const std::vector<HistoryHour>& hours) {
  long last = 0;
  for (const HistoryHour& h : hours) last = std::max(last, DayNumber(h.when.year, h.when.month, h.when.day));
  HistorySummer summer(last);
  for (const HistoryHour& h : hours) summer.Add(h);
  return summer.Totals();
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
    EXPECT_EQ(Slurp(path),
              "hour,saving_units,saving_s,cpu_wh,cpu_wh_saving,measured_s\n"
              "2026-01-01T04,1.000000,1.0,0.000000,0.000000,1.0\n")
        << start;
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
    for (int tenth = 0; tenth < 20; ++tenth) recorder.Add({2026, 12, 31, 23}, 0.5, 0.1, 0.0, 0.1);
    EXPECT_TRUE(ParseHistory(Slurp(path)).empty());
    recorder.Add({2027, 1, 1, 0}, 0.25, 0.1, 0.0, 0.1);  // the year turns: 23 h is over
    EXPECT_EQ(ParseHistory(Slurp(path)).size(), 1u);
    recorder.Flush();  // the service stops within the hour
    recorder.Add({2027, 1, 1, 0}, 0.0, 0.0, 0.0, 0.0);
    recorder.Flush();  // an hour without saving writes nothing
  }
  HourlyRecorder restarted(path);  // and starts again within the same hour
  restarted.Add({2027, 1, 1, 0}, 0.75, 0.1, 0.0, 0.1);
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
  EXPECT_DOUBLE_EQ(totals.all.energy, 11.0);
}

// The measured CPU energy goes to the hour with the part measured while saving; cycles that do not
// save still give their hour a line.
TEST(EnergyHistory, RecorderKeepsTheMeasuredEnergyBesideTheSaving) {
  StoreDir dir;
  const std::string path = dir.File(kHistoryFileName);
  HourlyRecorder recorder(path);
  for (int tenth = 0; tenth < 10; ++tenth) recorder.Add({2026, 5, 1, 9}, 0.5, 0.1, 0.002, 0.1);
  for (int tenth = 0; tenth < 30; ++tenth) recorder.Add({2026, 5, 1, 9}, 0.0, 0.0, 0.001, 0.1);
  for (int tenth = 0; tenth < 5; ++tenth) recorder.Add({2026, 5, 1, 10}, 0.0, 0.0, 0.003, 0.1);
  recorder.Flush();
  const std::vector<HistoryHour> hours = ParseHistory(Slurp(path));
  ASSERT_EQ(hours.size(), 2u);
  EXPECT_NEAR(hours[0].energy, 5.0, 1e-6);
  EXPECT_NEAR(hours[0].seconds, 1.0, 1e-6);
  EXPECT_NEAR(hours[0].cpuWh, 0.05, 1e-6);
  EXPECT_NEAR(hours[0].cpuWhSaving, 0.02, 1e-6);
  EXPECT_NEAR(hours[0].measuredSeconds, 4.0, 1e-6);
  EXPECT_DOUBLE_EQ(hours[1].energy, 0.0);
  EXPECT_NEAR(hours[1].cpuWh, 0.015, 1e-6);
}

// A file from before the measured columns reads as it is, and its first append names the columns
// without losing an hour.
TEST(EnergyHistory, AFileWithoutTheMeasuredColumnsStillReads) {
  StoreDir dir;
  const std::string path = dir.File(kHistoryFileName);
  std::ofstream(path, std::ios::binary) << "hour,energy,seconds\n2026-01-01T00,1.500000,3600.0\n"
                                           "2026-01-01T01,2.250000,1800.0\n";
  std::vector<HistoryHour> hours = ParseHistory(Slurp(path));
  ASSERT_EQ(hours.size(), 2u);
  EXPECT_DOUBLE_EQ(hours[1].energy, 2.25);
  EXPECT_DOUBLE_EQ(hours[1].cpuWh, 0.0);

  HistoryHour next = Hour(2026, 1, 1, 2, 0.5, 60);
  next.cpuWh = 1.25;
  ASSERT_TRUE(AppendHistoryHour(path, next));
  const std::string after = Slurp(path);
  EXPECT_EQ(after.rfind("hour,saving_units,saving_s,cpu_wh,cpu_wh_saving,measured_s\n", 0), 0u);
  hours = ParseHistory(after);
  ASSERT_EQ(hours.size(), 3u);
  EXPECT_DOUBLE_EQ(hours[0].energy, 1.5);
  EXPECT_DOUBLE_EQ(hours[2].cpuWh, 1.25);
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
  EXPECT_NEAR(totals.all.energy, sum, 1e-9);
  double months = 0;
  for (const PeriodTotal& month : totals.months) months += month.energy;
  EXPECT_NEAR(months, sum, 1e-9);
  EXPECT_EQ(totals.days.size(), 200u);
  EXPECT_EQ(totals.months.size(), 8u);  // 2026-11 to 2027-06

  const std::string html = HtmlReport(totals, DayNumber(2027, 6, 2));
  size_t bars = 0;
  for (size_t at = html.find("class=\"bar\""); at != std::string::npos; at = html.find("class=\"bar\"", at + 1)) ++bars;
  EXPECT_EQ(bars, static_cast<size_t>(kChartDays));
  EXPECT_NE(html.find("<title>2027-06-02: 2.000000</title>"), std::string::npos);  // the last day
  EXPECT_EQ(html.find("http://"), html.find("http://www.w3.org/2000/svg"));      // nothing fetched
  EXPECT_EQ(DayNumber(1970, 1, 1), 0);
  EXPECT_EQ(DayNumber(2000, 3, 1), 11017);
}

TEST(EnergyHistory, HoursThatCannotBeWrittenAreWrittenWithTheNextAppend) {
  StoreDir dir;
  const std::string path = dir.File(kHistoryFileName);
  HourlyRecorder recorder(path);
  recorder.Add({2026, 3, 1, 10}, 1.0, 0.1, 0.0, 0.1);
  recorder.Add({2026, 3, 1, 11}, 2.0, 0.1, 0.0, 0.1);  // 10 h is written
  // Something holds the file so that it cannot be written (a directory stands in its place).
  std::filesystem::rename(path, path + ".held");
  std::filesystem::create_directory(path);
  recorder.Add({2026, 3, 1, 12}, 3.0, 0.1, 0.0, 0.1);
  recorder.Add({2026, 3, 1, 13}, 4.0, 0.1, 0.0, 0.1);
  EXPECT_EQ(recorder.Unwritten(), 2u);
  std::filesystem::remove(path);
  std::filesystem::rename(path + ".held", path);
  recorder.Add({2026, 3, 1, 14}, 5.0, 0.1, 0.0, 0.1);
  EXPECT_EQ(recorder.Unwritten(), 0u);
  const std::vector<HistoryHour> hours = ParseHistory(Slurp(path));
  ASSERT_EQ(hours.size(), 4u);
  for (size_t i = 0; i < hours.size(); ++i) {
    EXPECT_EQ(hours[i].when, (HourStamp{2026, 3, 1, 10 + static_cast<int>(i)}));
    EXPECT_DOUBLE_EQ(hours[i].energy, 1.0 + static_cast<double>(i));
  }
  // A clock set back repeats an hour: its saving goes on a second line rather than past 3600 s.
  HourlyRecorder repeated(path);
  for (int tenth = 0; tenth < 2 * 36000; ++tenth) repeated.Add({2026, 3, 1, 15}, 1e-3, 0.1, 0.0, 0.1);
  repeated.Flush();
  const std::vector<HistoryHour> after = ParseHistory(Slurp(path));
  ASSERT_EQ(after.size(), 6u);
  EXPECT_NEAR(after[4].seconds + after[5].seconds, 7200, 1e-6);
}

// Checks that every element opened in html is closed in order.
bool WellFormed(const std::string& html) {
  std::vector<std::string> open;
  static const std::regex kTag("<(/?)([a-zA-Z0-9]+)[^>]*?(/?)>");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), kTag); it != std::sregex_iterator(); ++it) {
    const std::string name = (*it)[2];
    if ((*it)[3] == "/" || name == "meta" || name == "DOCTYPE") continue;
    if ((*it)[1] == "/") {
      if (open.empty() || open.back() != name) return false;
      open.pop_back();
    } else {
      open.push_back(name);
    }
  }
  return open.empty();
}

// The measured energy per day, month and in all, the average power while saving and while not
// (only over hours that were measured), and its cost where a price is set.
TEST(Zorstat, ReportsShowTheMeasuredEnergyItsAverageAndItsCost) {
  HistoryHour old = Hour(2026, 4, 1, 10, 1.5, 3600);  // from a file without the measured columns
  old.measuredSeconds = 0;
  HistoryHour measured = Hour(2026, 4, 2, 11, 0.25, 1800);
  measured.cpuWh = 5.0;
  measured.cpuWhSaving = 2.0;
  measured.measuredSeconds = 3600;
  const HistoryTotals totals = Summarise({old, measured});
  EXPECT_DOUBLE_EQ(totals.all.cpuWh, 5.0);
  ReportPrice price;
  price.perKwh = ParsePrice("300,5");
  price.currency = "<b>EUR";
  for (const std::string& report : {TextReport(totals, price), HtmlReport(totals, DayNumber(2026, 4, 2), price)}) {
    EXPECT_NE(report.find("5.0 Wh"), std::string::npos);
    EXPECT_NE(report.find("4.0 W"), std::string::npos);  // 2 Wh in the half hour of saving
    EXPECT_NE(report.find("6.0 W"), std::string::npos);  // 3 Wh in the other half hour
    EXPECT_NE(report.find("1.50"), std::string::npos);   // 5 Wh at 300.5 a kWh
    EXPECT_NE(report.find("units"), std::string::npos);
  }
  const std::string html = HtmlReport(totals, DayNumber(2026, 4, 2), price);
  EXPECT_EQ(html.find("<b>EUR"), std::string::npos);
  EXPECT_NE(html.find("&lt;b&gt;EUR"), std::string::npos);
  EXPECT_TRUE(WellFormed(html));
  // No price, no cost.
  EXPECT_EQ(TextReport(totals).find("cost"), std::string::npos);

  const HistoryTotals none = Summarise({});
  EXPECT_EQ(TextReport(none).rfind("No history yet", 0), 0u);
  EXPECT_NE(HtmlReport(none, DayNumber(2026, 4, 2)).find("No history yet"), std::string::npos);
}

TEST(Zorstat, PricesAsUsersWriteThem) {
  const std::pair<const char*, double> cases[] = {
      {"0.30", 0.30}, {"0,30", 0.30}, {"12", 12}, {"", 0}, {"-1", 0}, {"0", 0}, {"1e3", 0}, {"abc", 0}, {"inf", 0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ParsePrice(c.first), c.second) << c.first;
}

// The CSV export in the user's number format: where the decimal mark is a comma, the fields are
// separated by semicolons, so a spreadsheet opens it as it is.
TEST(Zorstat, CsvSuitsTheUsersDecimalMark) {
  HistoryHour h = Hour(2026, 4, 2, 7, 0.25, 1800);
  h.cpuWh = 5.5;
  h.cpuWhSaving = 2.25;
  h.measuredSeconds = 3600;
  EXPECT_EQ(CsvRow(h, '.'), "2026-04-02 07:00,0.250000,1800.0,5.500000,2.250000,3600.0\r\n");
  EXPECT_EQ(CsvRow(h, ','), "2026-04-02 07:00;0,250000;1800,0;5,500000;2,250000;3600,0\r\n");
  EXPECT_EQ(CsvHeader(','),
            "hour;saving figure (units);saving time (s);CPU energy (Wh);CPU energy while saving (Wh);"
            "measured time (s)\r\n");
  EXPECT_NE(CsvHeader('.').find("CPU energy (Wh),"), std::string::npos);
}

// Each damaged or crafted line between two sound hours: the two hours are counted, the line is
// neither counted nor shown, and the report stays whole. A line may carry a further column.
TEST(Zorstat, DamagedLinesAreSkippedAndCounted) {
  const long today = DayNumber(2026, 3, 1);
  const std::string big(300, '9');
  struct Row {
    std::string line;
    size_t sound;  // hours the line adds itself
  };
  const Row rows[] = {
      {"9999-12-31T23,1.000000,60.0", 0},             // far in the future
      {"2026-03-02T00,1.000000,60.0", 0},             // tomorrow
      {"2026-02-20T10,1e300,60.0", 0},                // exponent
      {"2026-02-20T10,1.7e308,60.0\n2026-02-20T11,1.7e308,60.0", 0},
      {"2026-02-20T10," + big + ".0,60.0", 0},        // 300 digits
      {"2026-02-20T10,36000000000001.0,60.0", 0},     // more than an hour can hold
      {"2026-02-20T10,1.000000,1000000000000.0", 0},  // 1e12 seconds
      {"2026-02-20T10,1.000000,3600.1", 0},
      {"2026-02-31T10,1.000000,60.0", 0},
      {"2025-02-29T10,1.000000,60.0", 0},
      {"2026-02-20T24,1.000000,60.0", 0},
      {"1969-12-31T10,1.000000,60.0", 0},
      {"2026-02-20T10,0x1p4,60.0", 0},
      {"2026-02-20T10,inf,60.0", 0},
      {"2026-02-20T10,nan,60.0", 0},
      {"2026-02-20T10,-1.000000,60.0", 0},
      {"2026-02-20T10,+1.000000,60.0", 0},
      {"2026-02-20T10, 1.000000,60.0", 0},
      {"2026-02-20T10,1.000000", 0},
      {"2026-02-20T10,1.000000,60.0" + std::string(100000, 'x'), 0},
      {"2024-02-29T10,1.000000,60.0", 1},             // a leap day
      {"2026-02-20T10,1.000000,60.0,2.5", 1},         // a further column
      {"2026-02-20T10,1.000000,60.0,2.5,1.0,120.0", 1},  // the measured columns
      {"2026-02-20T10,1.000000,60.0,2.5,1.0,120.0,x", 1},
      {"2026-02-20T10,1.000000,60.0,1.0,2.5,120.0", 0},  // more measured while saving than in all
      {"2026-02-20T10,1.000000,60.0,2.5,1.0,30.0", 0},   // more saving than measuring
      {"2026-02-20T10,1.000000,60.0,2.5,1.0,3601.0", 0},
      {"2026-02-20T10,1.000000,60.0,-2.5,1.0,120.0", 0},
      {"2026-02-20T10,1.000000,60.0,2000000.0,1.0,120.0", 0},
  };
  for (const Row& row : rows) {
    const std::string text = "hour,energy,seconds\n2026-02-20T09,0.250000,3600.0\n" + row.line +
                             "\n2026-03-01T23,0.500000,1800.0\n";
    const size_t lines = static_cast<size_t>(std::count(row.line.begin(), row.line.end(), '\n')) + 1;
    HistorySummer summer(today);
    HistoryScanner scanner([&](const HistoryHour& hour, std::string_view) { summer.Add(hour); });
    // Fed in small pieces, as a file is read.
    for (size_t at = 0; at < text.size(); at += 7) scanner.Feed(std::string_view(text).substr(at, 7));
    scanner.Finish();
    summer.AddRefused(scanner.Refused());
    const HistoryTotals totals = summer.Totals();
    EXPECT_EQ(totals.hours, 2 + row.sound) << row.line.substr(0, 60);
    EXPECT_EQ(totals.refused, row.sound ? 0 : lines) << row.line.substr(0, 60);
    EXPECT_DOUBLE_EQ(totals.all.energy, 0.75 + static_cast<double>(row.sound)) << row.line.substr(0, 60);

    const std::string html = HtmlReport(totals, today);
    EXPECT_TRUE(WellFormed(html)) << row.line.substr(0, 60);
    EXPECT_NE(html.find("<title>2026-03-01: 0.500000</title>"), std::string::npos) << "the chart ends today";
    EXPECT_EQ(html.find("height=\"-"), std::string::npos);
    EXPECT_EQ(html.find("inf"), std::string::npos);
    const std::string text2 = TextReport(totals);
    EXPECT_NE(text2.find("0:30:00"), std::string::npos);
    EXPECT_EQ(text2.find(":-"), std::string::npos);
    if (!row.sound) {
      EXPECT_NE(text2.find("Skipped"), std::string::npos);
    }
  }
}

// The trim keeps every sound line as it stood, whatever damaged line lay before it.
TEST(EnergyHistory, TheTrimDropsDamagedLinesAndKeepsTheRest) {
  StoreDir dir;
  const std::string path = dir.File(kHistoryFileName);
  std::string content = "hour,energy,seconds\n";
  const size_t full = kHistoryKeepHours + kHistorySlackHours;
  for (size_t i = 0; i < full; ++i) {
    if (i == full - 2) content += "2029-01-01T00," + std::string(200, '9') + ".0,1.0\n2029-01-01T01,1e300,1.0\n";
    content += FormatHistoryLine(Hour(2020 + static_cast<int>(i / 8760), 1, 1, static_cast<int>(i % 24), 1.0, 1.0));
  }
  std::ofstream(path, std::ios::binary) << content;
  ASSERT_TRUE(AppendHistoryHour(path, Hour(2030, 6, 1, 12, 9.0, 9.0)));
  const std::string after = Slurp(path);
  HistoryScanner scanner([](const HistoryHour&, std::string_view) {});
  scanner.Feed(after);
  scanner.Finish();
  EXPECT_EQ(scanner.Hours(), kHistoryKeepHours);
  EXPECT_EQ(scanner.Refused(), 0u);
  const std::vector<HistoryHour> hours = ParseHistory(after);
  ASSERT_GE(hours.size(), 3u);
  EXPECT_EQ(hours[hours.size() - 3].when, ParseHistory(content)[full - 2].when);
}

}  // namespace
}  // namespace zor
