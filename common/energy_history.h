// The energy history: one line per hour of saving, appended beside INFO.DAT in History.csv, so the
// saving can be looked at over months (zorstat). The file only grows by whole lines; a line torn by
// a crash is skipped when read and dropped by the next append. It keeps about three
// years: past that, the oldest hours are dropped in one atomic rewrite (about once a month).
// INFO.DAT and its figures are not touched.
//
//   hour,energy,seconds
//   2026-12-10T04,0.123456,3600.0
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zor {

constexpr const char* kHistoryFileName = "History.csv";
constexpr size_t kHistoryKeepHours = 3 * 366 * 24;
// Hours allowed beyond the keep before a rewrite, so that rewrites stay rare.
constexpr size_t kHistorySlackHours = 31 * 24;

struct HourStamp {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;   // 0-23
  bool operator==(const HourStamp& o) const {
    return year == o.year && month == o.month && day == o.day && hour == o.hour;
  }
  bool operator!=(const HourStamp& o) const { return !(*this == o); }
};

struct HistoryHour {
  HourStamp when;
  double energy = 0;   // energy saved in the hour, in the unit of INFO.DAT's "Current"
  double seconds = 0;  // seconds of saving in the hour
};

// The well-formed lines of a history file, in file order; anything else (the header, a torn line)
// is skipped.
std::vector<HistoryHour> ParseHistory(std::string_view text);

std::string FormatHistoryLine(const HistoryHour& hour);

// Appends one hour to the file at path (created with its header when missing), first dropping a torn
// last line, and trims the file when it holds more than the keep plus the slack.
bool AppendHistoryHour(const std::string& path, const HistoryHour& hour);

// Collects the service's increments by the local hour and appends each hour once it is over.
class HourlyRecorder {
 public:
  explicit HourlyRecorder(std::string path);
  // One measuring cycle at local time now: energy and saving seconds added in that cycle.
  void Add(const HourStamp& now, double energy, double seconds);
  // Writes the hour in progress (when the service stops). A new Add then starts a new line, which
  // the reader adds to the same hour.
  void Flush();

 private:
  std::string m_path;
  bool m_open = false;
  HistoryHour m_hour;
};

}  // namespace zor
