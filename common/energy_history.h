// The energy history: one line per hour of saving, appended beside INFO.DAT in History.csv, so the
// saving can be looked at over months (zorstat). The file only grows by whole lines; a line torn by
// a crash is skipped when read and dropped by the next append. It keeps about three
// years: past that, the oldest hours are dropped in one atomic rewrite (about once a month).
// INFO.DAT and its figures are not touched.
//
//   hour,saving_units,saving_s,cpu_wh,cpu_wh_saving,measured_s
//   2026-12-10T04,0.123456,3600.0,21.500000,21.500000,3600.0
//
// The saving figure is the firmware's, in its own units (see figure_units.h); the CPU energy is what
// the service measured over the hour, in Wh, in all and while saving, over measured_s seconds. Files
// written before the measured columns existed hold only the first three ("hour,energy,seconds"); their
// lines read with no measured energy, and the first append rewrites their header. A line may carry
// further columns after these; they are kept as they stand and read past.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zor {

constexpr const char* kHistoryFileName = "History.csv";
constexpr size_t kHistoryKeepHours = 3 * 366 * 24;
// Hours allowed beyond the keep before a rewrite, so that rewrites stay rare.
constexpr size_t kHistorySlackHours = 31 * 24;
// Hours kept in memory while the file cannot be written (a spreadsheet holding it open).
constexpr size_t kHistoryUnwrittenHours = 31 * 24;

constexpr double kHistorySecondsPerHour = 3600;
// The most one line can hold: a whole hour of cycles (36000) at the largest increment the service
// counts in one cycle (1e9).
constexpr double kHistoryMaxHourEnergy = 36000 * 1e9;
// The most CPU energy one hour can hold in Wh: far beyond any processor.
constexpr double kHistoryMaxHourWh = 1e6;
// No sound line comes near this; longer ones are refused without being held whole.
constexpr size_t kHistoryMaxLine = 256;

struct HourStamp {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;   // 0-23
  bool operator==(const HourStamp& o) const {
    return year == o.year && month == o.month && day == o.day && hour == o.hour;
  }
  bool operator!=(const HourStamp& o) const { return !(*this == o); }
  bool operator<(const HourStamp& o) const {
    if (year != o.year) return year < o.year;
    if (month != o.month) return month < o.month;
    if (day != o.day) return day < o.day;
    return hour < o.hour;
  }
};

struct HistoryHour {
  HourStamp when;
  double energy = 0;   // the saving figure gained in the hour, in the unit of INFO.DAT's "Current"
  double seconds = 0;  // seconds of saving in the hour
  double cpuWh = 0;        // CPU energy measured in the hour
  double cpuWhSaving = 0;  // the part of cpuWh measured while saving
  double measuredSeconds = 0;  // seconds the service measured in the hour, saving or not
};

enum class HistoryLineKind { kHour, kHeader, kRefused };

// One line without its end: an hour only when its date is a real one, its hour 0-23, its energy a
// plain decimal number within what an hour can hold and its seconds within the hour; the measured
// columns, where present, plain decimal numbers with the saving part within the whole.
HistoryLineKind ParseHistoryLine(std::string_view line, HistoryHour* out);

// Splits text given piece by piece into lines and parses them, holding at most one line of
// kHistoryMaxLine bytes, so a file of any size is read in little memory.
class HistoryScanner {
 public:
  // line is the line's text as it stands (without its end), for a rewrite that keeps it.
  using HourSink = std::function<void(const HistoryHour& hour, std::string_view line)>;
  explicit HistoryScanner(HourSink sink);

  void Feed(std::string_view piece);
  // The end of the text: a last line without its end is one a crash may have cut short.
  void Finish();

  size_t Hours() const { return m_hours; }
  size_t Refused() const { return m_refused; }
  // Set by Finish: the text ended inside a line, and where the last whole line ends.
  bool Torn() const { return m_torn; }
  unsigned long long WholeBytes() const { return m_wholeBytes; }
  const std::string& Header() const { return m_header; }

 private:
  void Line(std::string_view line);

  HourSink m_sink;
  std::string m_partial;
  bool m_overlong = false;  // the line in progress is past kHistoryMaxLine and is being skipped
  unsigned long long m_fed = 0;
  unsigned long long m_wholeBytes = 0;
  size_t m_hours = 0;
  size_t m_refused = 0;
  bool m_first = true;
  bool m_torn = false;
  std::string m_header;
};

// Reads the file at path through a scanner, a piece at a time. False when it cannot be read; a
// missing file reads as empty (missing set).
bool ScanHistoryFile(const std::string& path, HistoryScanner& scanner, bool* missing = nullptr);

// The sound lines of a history text, in text order; the header, torn and refused lines are skipped.
std::vector<HistoryHour> ParseHistory(std::string_view text);

std::string FormatHistoryLine(const HistoryHour& hour);

// Appends hours to the file at path (created with its header when missing), first dropping a torn
// last line, and trims the file when it holds more than the keep plus the slack. Gives how many of
// the first hours are in the file: all, or fewer when it could not be written (0 when it is as it
// was).
size_t AppendHistoryHours(const std::string& path, const std::vector<HistoryHour>& hours);
bool AppendHistoryHour(const std::string& path, const HistoryHour& hour);

// Collects the service's increments by the local hour and appends each hour once it is over. An
// hour whose append fails is kept and written with the next append that succeeds.
class HourlyRecorder {
 public:
  explicit HourlyRecorder(std::string path);
  // One measuring cycle at local time now: the saving figure and saving seconds it added (0 when
  // not saving), the CPU energy it measured in Wh and its length.
  void Add(const HourStamp& now, double energy, double seconds, double cpuWh, double cycleSeconds);
  // Writes the hour in progress (when the service stops). A new Add then starts a new line, which
  // the reader adds to the same hour.
  void Flush();
  // Hours not yet in the file.
  size_t Unwritten() const { return m_unwritten.size(); }

 private:
  std::string m_path;
  bool m_open = false;
  HistoryHour m_hour;
  std::vector<HistoryHour> m_unwritten;  // oldest first
};

}  // namespace zor
