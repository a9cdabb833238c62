#include "apps/zorstat/stats.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "common/figure_units.h"

namespace zor {

namespace {

constexpr const char* kNoHistory = "No history yet: the service adds a line for each hour it has measured.";

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

// The user's currency goes into the page as text, never as markup.
std::string HtmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
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

namespace {

void AddTo(PeriodTotal& to, const PeriodTotal& from) {
  to.energy += from.energy;
  to.seconds += from.seconds;
  to.cpuWh += from.cpuWh;
  to.cpuWhSaving += from.cpuWhSaving;
  to.measuredSeconds += from.measuredSeconds;
  to.measuredSavingSeconds += from.measuredSavingSeconds;
}

}  // namespace

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
  PeriodTotal hour;
  hour.energy = h.energy;
  hour.seconds = h.seconds;
  hour.cpuWh = h.cpuWh;
  hour.cpuWhSaving = h.cpuWhSaving;
  hour.measuredSeconds = h.measuredSeconds;
  if (h.measuredSeconds > 0) hour.measuredSavingSeconds = h.seconds;
  AddTo(day.total, hour);
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
    AddTo(totals.months.back(), d);
    AddTo(totals.all, d);
    totals.hours += static_cast<size_t>(PopCount(entry.second.hours));
  }
  return totals;
}

double ParsePrice(const std::string& text) {
  std::string plain = text;
  for (char& c : plain) {
    if (c == ',') c = '.';
  }
  if (plain.empty() || plain.find_first_not_of("0123456789.") != std::string::npos) return 0;
  const double price = std::strtod(plain.c_str(), nullptr);
  return std::isfinite(price) && price > 0 ? price : 0;
}

std::string AveragePower(double wattHours, double seconds) {
  if (!(seconds >= 1)) return "-";
  return FigureWithUnit(Figure::kCpuPower, wattHours * 3600 / seconds);
}

namespace {

std::string Cost(const PeriodTotal& p, const ReportPrice& price) {
  return MoneyText(p.cpuWh, price.perKwh, price.currency);
}

bool Priced(const ReportPrice& price) { return !MoneyText(0, price.perKwh, price.currency).empty(); }

// One period's row after its date: the saving figure (a bare number, its unit in the heading), the
// saving time, then the measured figures with their units.
std::string TextColumns(const PeriodTotal& p, const ReportPrice& price) {
  std::string row = Format("%16.6f %12s %12s %12s %12s", p.energy, Duration(p.seconds).c_str(),
                           FigureWithUnit(Figure::kCpuEnergy, p.cpuWh).c_str(),
                           AveragePower(p.cpuWhSaving, p.measuredSavingSeconds).c_str(),
                           AveragePower(p.cpuWh - p.cpuWhSaving, p.measuredSeconds - p.measuredSavingSeconds).c_str());
  if (Priced(price)) row += Format(" %14s", Cost(p, price).c_str());
  return row;
}

std::string TextHeading(const char* period, const ReportPrice& price) {
  std::string heading = Format("%-10s %16s %12s %12s %12s %12s", period, "Saving (units)", "Saving time",
                               "CPU energy", "CPU saving", "CPU not");
  if (Priced(price)) heading += Format(" %14s", "Energy cost");
  return heading + "\n";
}

}  // namespace

std::string TextReport(const HistoryTotals& t, const ReportPrice& price) {
  if (t.days.empty() && t.refused == 0) return std::string(kNoHistory) + "\n";
  std::string text = TextHeading("Day", price);
  for (const PeriodTotal& d : t.days) {
    text += Format("%04d-%02d-%02d ", d.year, d.month, d.day) + TextColumns(d, price) + "\n";
  }
  text += "\n" + TextHeading("Month", price);
  for (const PeriodTotal& m : t.months) {
    text += Format("%04d-%02d    ", m.year, m.month) + TextColumns(m, price) + "\n";
  }
  text += "\nTotal      " + TextColumns(t.all, price) +
          Format("  (%lu %s recorded)\n", static_cast<unsigned long>(t.hours), t.hours == 1 ? "hour" : "hours");
  if (t.refused > 0) {
    text += Format("Skipped      %lu damaged %s\n", static_cast<unsigned long>(t.refused),
                   t.refused == 1 ? "line" : "lines");
  }
  text +=
      "\nSaving (units): the firmware's own saving figure, counted from the current drawn and weighted\n"
      "by the saving level; the firmware does not define its physical unit.\n"
      "CPU energy: measured by the service ten times a second. CPU saving / CPU not: the average CPU\n"
      "power while saving and while not.\n";
  if (Priced(price)) text += Format("Energy cost: the CPU energy at %.4f %s per kWh.\n", price.perKwh, price.currency.c_str());
  return text;
}

namespace {

std::string HtmlColumns(const PeriodTotal& p, const ReportPrice& price) {
  std::string row = Format("<td>%.6f</td><td>%s</td><td>%s</td><td>%s</td><td>%s</td>", p.energy,
                           Duration(p.seconds).c_str(), FigureWithUnit(Figure::kCpuEnergy, p.cpuWh).c_str(),
                           AveragePower(p.cpuWhSaving, p.measuredSavingSeconds).c_str(),
                           AveragePower(p.cpuWh - p.cpuWhSaving, p.measuredSeconds - p.measuredSavingSeconds).c_str());
  if (Priced(price)) row += "<td>" + HtmlEscaped(Cost(p, price)) + "</td>";
  return row;
}

std::string HtmlHeading(const char* period, const ReportPrice& price) {
  std::string heading = Format(
      "<table><tr><th>%s</th><th>Saving figure (units)</th><th>Saving time</th><th>CPU energy</th>"
      "<th>Average CPU power while saving</th><th>Average CPU power while not</th>",
      period);
  if (Priced(price)) heading += "<th>Energy cost</th>";
  return heading + "</tr>\n";
}

}  // namespace

std::string HtmlReport(const HistoryTotals& t, long today, const ReportPrice& price) {
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
  if (t.days.empty() && t.refused == 0) return html + "<p>" + kNoHistory + "</p>\n</body></html>\n";
  html += Format("<p>Saving figure in all: <b>%s</b> in %s of saving, over %lu recorded %s. CPU energy measured: "
                 "<b>%s</b>",
                 FigureWithUnit(Figure::kSavingFigure, t.all.energy).c_str(), Duration(t.all.seconds).c_str(),
                 static_cast<unsigned long>(t.hours), t.hours == 1 ? "hour" : "hours",
                 FigureWithUnit(Figure::kCpuEnergy, t.all.cpuWh).c_str());
  if (Priced(price)) html += " (" + HtmlEscaped(Cost(t.all, price)) + ")";
  html += ".</p>\n"
          "<p>The saving figure is the firmware's own count, from the current drawn weighted by the saving "
          "level; the firmware does not define its physical unit. The CPU energy is measured by the service ten "
          "times a second.</p>\n";
  if (t.refused > 0) {
    html += Format("<p>%lu damaged %s of the history skipped.</p>\n", static_cast<unsigned long>(t.refused),
                   t.refused == 1 ? "line" : "lines");
  }
  html += Format("<h2>The saving figure of the last %d days</h2>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"260\">\n",
                 kChartDays, width);
  html += Format("<line class=\"axis\" x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\"/>\n", kLeft, kBottom, width - 10, kBottom);
  html += Format("<line class=\"axis\" x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\"/>\n", kLeft - 2, kBottom - kHeight, kLeft - 2, kBottom);
  html += Format("<text x=\"%d\" y=\"%d\" text-anchor=\"end\">%.3f</text>\n", kLeft - 4, kBottom - kHeight + 4, top);
  html += Format("<text x=\"%d\" y=\"%d\" text-anchor=\"end\">%s</text>\n", kLeft - 4, kBottom - kHeight + 18,
                 FigureUnit(Figure::kSavingFigure));
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
  html += "</svg>\n<h2>By month</h2>\n" + HtmlHeading("Month", price);
  for (const PeriodTotal& m : t.months) {
    html += Format("<tr><td>%04d-%02d</td>", m.year, m.month) + HtmlColumns(m, price) + "</tr>\n";
  }
  html += "</table>\n<h2>By day</h2>\n" + HtmlHeading("Day", price);
  for (auto d = t.days.rbegin(); d != t.days.rend(); ++d) {
    html += Format("<tr><td>%04d-%02d-%02d</td>", d->year, d->month, d->day) + HtmlColumns(*d, price) + "</tr>\n";
  }
  html += "</table>\n</body></html>\n";
  return html;
}

namespace {

// A figure for the CSV, with the user's decimal mark.
std::string CsvNumber(const char* format, double value, char decimalMark) {
  std::string text = Format(format, value);
  for (char& c : text) {
    if (c == '.') c = decimalMark;
  }
  return text;
}

}  // namespace

std::string CsvHeader(char decimalMark) {
  const char sep = decimalMark == ',' ? ';' : ',';
  return Format("hour%csaving figure (units)%csaving time (s)%cCPU energy (Wh)%cCPU energy while saving (Wh)%c"
                "measured time (s)\r\n",
                sep, sep, sep, sep, sep);
}

std::string CsvRow(const HistoryHour& h, char decimalMark) {
  const char sep = decimalMark == ',' ? ';' : ',';
  return Format("%04d-%02d-%02d %02d:00%c", h.when.year, h.when.month, h.when.day, h.when.hour, sep) +
         CsvNumber("%.6f", h.energy, decimalMark) + sep + CsvNumber("%.1f", h.seconds, decimalMark) + sep +
         CsvNumber("%.6f", h.cpuWh, decimalMark) + sep + CsvNumber("%.6f", h.cpuWhSaving, decimalMark) + sep +
         CsvNumber("%.1f", h.measuredSeconds, decimalMark) + "\r\n";
}

}  // namespace zor
