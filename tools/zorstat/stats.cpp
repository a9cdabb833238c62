#include "tools/zorstat/stats.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace zor {

namespace {

// As long as the text needs: a figure may have hundreds of digits.
std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(&text[0], text.size(), format, again);
    text.resize(static_cast<size_t>(length));
  }
  va_end(again);
  return text;
}

// Hours:minutes:seconds; the hours are a whole double, as no integer type holds every sum.
std::string Duration(double seconds) {
  if (!(seconds >= 0)) seconds = 0;
  const double whole = std::floor(seconds);
  const double hours = std::floor(whole / 3600);
  const int rest = static_cast<int>(whole - hours * 3600);
  return Format("%.0f:%02d:%02d", hours, rest / 60, rest % 60);
}

int PopCount(uint32_t bits) {
  int count = 0;
  for (; bits; bits &= bits - 1) ++count;
  return count;
}

// The calendar date of a day number (inverse of DayNumber).
void CivilDate(long days, int* year, int* month, int* day) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const long doe = days - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yoe + era * 400 + (*month <= 2 ? 1 : 0));
}

}  // namespace

long DayNumber(int year, int month, int day) {
  const long y = year - (month <= 2 ? 1 : 0);
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

HistorySummer::HistorySummer(long today) : m_today(today) {}

void HistorySummer::Add(const HistoryHour& h) {
  const long number = DayNumber(h.when.year, h.when.month, h.when.day);
  if (number > m_today) {
    ++m_refused;
    return;
  }
  Day& day = m_days[number];
  day.total.year = h.when.year;
  day.total.month = h.when.month;
  day.total.day = h.when.day;
  day.total.energy += h.energy;
  day.total.seconds += h.seconds;
  day.hours |= 1u << h.when.hour;
}

HistoryTotals HistorySummer::Totals() const {
  HistoryTotals totals;
  totals.refused = m_refused;
  for (const auto& entry : m_days) {
    const PeriodTotal& d = entry.second.total;
    totals.days.push_back(d);
    if (totals.months.empty() || totals.months.back().year != d.year || totals.months.back().month != d.month) {
      PeriodTotal month;
      month.year = d.year;
      month.month = d.month;
      totals.months.push_back(month);
    }
    totals.months.back().energy += d.energy;
    totals.months.back().seconds += d.seconds;
    totals.energy += d.energy;
    totals.seconds += d.seconds;
    totals.hours += static_cast<size_t>(PopCount(entry.second.hours));
  }
  return totals;
}

std::string TextReport(const HistoryTotals& t) {
  std::string text = "Day          Energy saved   Saving time\n";
  for (const PeriodTotal& d : t.days) {
    text += Format("%04d-%02d-%02d %14.6f %13s\n", d.year, d.month, d.day, d.energy, Duration(d.seconds).c_str());
  }
  text += "\nMonth        Energy saved   Saving time\n";
  for (const PeriodTotal& m : t.months) {
    text += Format("%04d-%02d    %14.6f %13s\n", m.year, m.month, m.energy, Duration(m.seconds).c_str());
  }
  text += Format("\nTotal        %14.6f %13s  (%lu %s recorded)\n", t.energy, Duration(t.seconds).c_str(),
                 static_cast<unsigned long>(t.hours), t.hours == 1 ? "hour" : "hours");
  if (t.refused > 0) {
    text += Format("Skipped      %lu damaged %s\n", static_cast<unsigned long>(t.refused),
                   t.refused == 1 ? "line" : "lines");
  }
  return text;
}

std::string HtmlReport(const HistoryTotals& t, long today) {
  std::vector<double> chart(kChartDays, 0.0);
  const long last = today;
  for (const PeriodTotal& d : t.days) {
    const long age = last - DayNumber(d.year, d.month, d.day);
    if (age >= 0 && age < kChartDays) chart[static_cast<size_t>(kChartDays - 1 - age)] = d.energy;
  }
  const double top = std::max(*std::max_element(chart.begin(), chart.end()), 1e-9);
  constexpr int kBar = 8, kGap = 2, kHeight = 200, kLeft = 60, kBottom = 230;
  const int width = kLeft + kChartDays * (kBar + kGap) + 20;

  std::string html =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Zorwise energy history</title>\n"
      "<style>body{font-family:Verdana,sans-serif;color:#1d232b;margin:20px}h1{color:#2b7d3a}"
      "table{border-collapse:collapse}td,th{border:1px solid #b9c0c8;padding:3px 8px;text-align:right}"
      "th{background:#e6ebe8}.bar{fill:#2b9d4a}.axis{stroke:#555}text{font-size:11px}</style></head><body>\n"
      "<h1>Zorwise energy history</h1>\n";
  html += Format("<p>Energy saved in all: <b>%.6f</b> in %s of saving, over %lu recorded %s.</p>\n", t.energy,
                 Duration(t.seconds).c_str(), static_cast<unsigned long>(t.hours), t.hours == 1 ? "hour" : "hours");
  if (t.refused > 0) {
    html += Format("<p>%lu damaged %s of the history skipped.</p>\n", static_cast<unsigned long>(t.refused),
                   t.refused == 1 ? "line" : "lines");
  }
  html += Format("<h2>The last %d days</h2>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"260\">\n",
                 kChartDays, width);
  html += Format("<line class=\"axis\" x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\"/>\n", kLeft, kBottom, width - 10, kBottom);
  html += Format("<text x=\"%d\" y=\"%d\" text-anchor=\"end\">%.3f</text>\n", kLeft - 4, kBottom - kHeight + 4, top);
  html += Format("<text x=\"%d\" y=\"%d\" text-anchor=\"end\">0</text>\n", kLeft - 4, kBottom + 4);
  for (int i = 0; i < kChartDays; ++i) {
    const int h = static_cast<int>(std::min(std::max(chart[static_cast<size_t>(i)] / top, 0.0), 1.0) * kHeight + 0.5);
    const int x = kLeft + i * (kBar + kGap);
    int year = 0, month = 0, day = 0;
    CivilDate(last - (kChartDays - 1 - i), &year, &month, &day);
    html += Format("<rect class=\"bar\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\"><title>%04d-%02d-%02d: %.6f</title></rect>\n",
                   x, kBottom - h, kBar, h, year, month, day, chart[static_cast<size_t>(i)]);
    if (day == 1 || i == 0) {
      html += Format("<text x=\"%d\" y=\"%d\">%04d-%02d-%02d</text>\n", x, kBottom + 16, year, month, day);
    }
  }
  html += "</svg>\n<h2>By month</h2>\n<table><tr><th>Month</th><th>Energy saved</th><th>Saving time</th></tr>\n";
  for (const PeriodTotal& m : t.months) {
    html += Format("<tr><td>%04d-%02d</td><td>%.6f</td><td>%s</td></tr>\n", m.year, m.month, m.energy,
                   Duration(m.seconds).c_str());
  }
  html += "</table>\n</body></html>\n";
  return html;
}

}  // namespace zor
