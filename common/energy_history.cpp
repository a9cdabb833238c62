#include "common/energy_history.h"

#include <cerrno>
#include <cstddef>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>

#include "platform/atomic_file.h"

namespace zor {

namespace {

constexpr const char* kHeader = "hour,saving_units,saving_s,cpu_wh,cpu_wh_saving,measured_s";
// The header of files written before the measured columns.
constexpr const char* kFirstHeader = "hour,energy,seconds";
constexpr size_t kReadPiece = 64 * 1024;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Only the plain decimal form the service writes ("123.456000"): no sign, exponent, hex, inf or nan.
bool ParseNumber(std::string_view text, double* value) {
  if (text.empty() || text.size() > 40) return false;
  size_t i = 0;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i == 0) return false;
  if (i < text.size()) {
    if (text[i] != '.' || i + 1 == text.size()) return false;
    for (++i; i < text.size(); ++i) {
      if (!IsDigit(text[i])) return false;
    }
  }
  const std::string copy(text);
  *value = std::strtod(copy.c_str(), nullptr);
  return std::isfinite(*value);
}

bool ParseDigits(std::string_view text, int* value) {
  *value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    *value = *value * 10 + (c - '0');
  }
  return !text.empty();
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

// "2026-12-10T04,0.123456,3600.0", then perhaps the measured columns and further ones.
HistoryLineKind ParseHistoryLine(std::string_view line, HistoryHour* out) {
  if (line.substr(0, 5) == "hour,") return HistoryLineKind::kHeader;
  constexpr size_t kFields = 6;
  std::string_view field[kFields];
  size_t fields = 0;
  for (size_t start = 0; fields < kFields;) {
    const size_t comma = line.find(',', start);
    field[fields++] = line.substr(start, comma == std::string_view::npos ? comma : comma - start);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (fields < 3) return HistoryLineKind::kRefused;
  const std::string_view stamp = field[0];
  const std::string_view energy = field[1];
  const std::string_view seconds = field[2];
  HistoryHour h;
  if (stamp.size() != 13 || stamp[4] != '-' || stamp[7] != '-' || stamp[10] != 'T' ||
      !ParseDigits(stamp.substr(0, 4), &h.when.year) || !ParseDigits(stamp.substr(5, 2), &h.when.month) ||
      !ParseDigits(stamp.substr(8, 2), &h.when.day) || !ParseDigits(stamp.substr(11, 2), &h.when.hour)) {
    return HistoryLineKind::kRefused;
  }
  if (h.when.year < 1970 || h.when.month < 1 || h.when.month > 12 || h.when.day < 1 ||
      h.when.day > DaysInMonth(h.when.year, h.when.month) || h.when.hour > 23) {
    return HistoryLineKind::kRefused;
  }
  if (!ParseNumber(energy, &h.energy) || !ParseNumber(seconds, &h.seconds) || h.energy > kHistoryMaxHourEnergy ||
      h.seconds > kHistorySecondsPerHour) {
    return HistoryLineKind::kRefused;
  }
  // The measured columns are read when all of them are there; fewer further columns are read past.
  if (fields == kFields &&
      (!ParseNumber(field[3], &h.cpuWh) || !ParseNumber(field[4], &h.cpuWhSaving) ||
       !ParseNumber(field[5], &h.measuredSeconds) || h.cpuWh > kHistoryMaxHourWh || h.cpuWhSaving > h.cpuWh + 1e-6 ||
       h.measuredSeconds > kHistorySecondsPerHour || h.seconds > h.measuredSeconds + 0.05)) {
    return HistoryLineKind::kRefused;
  }
  *out = h;
  return HistoryLineKind::kHour;
}

HistoryScanner::HistoryScanner(HourSink sink) : m_sink(std::move(sink)) {}

void HistoryScanner::Feed(std::string_view piece) {
  while (!piece.empty()) {
    const size_t end = piece.find('\n');
    const std::string_view part = piece.substr(0, end);
    if (!m_overlong && m_partial.size() + part.size() <= kHistoryMaxLine + 1) {
      m_partial.append(part.data(), part.size());
    } else {
      m_overlong = true;
      m_partial.clear();
    }
    if (end == std::string_view::npos) {
      m_fed += piece.size();
      return;
    }
    m_fed += end + 1;
    piece.remove_prefix(end + 1);
    m_wholeBytes = m_fed;
    if (m_overlong) {
      ++m_refused;
    } else {
      std::string_view line = m_partial;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      Line(line);
    }
    m_partial.clear();
    m_overlong = false;
    m_first = false;
  }
}

void HistoryScanner::Line(std::string_view line) {
  HistoryHour hour;
  switch (ParseHistoryLine(line, &hour)) {
    case HistoryLineKind::kHour:
      ++m_hours;
      m_sink(hour, line);
      return;
    case HistoryLineKind::kHeader:
      if (m_first) {
        m_header.assign(line.data(), line.size());
        return;
      }
      break;
    case HistoryLineKind::kRefused:
      break;
  }
  ++m_refused;
}

void HistoryScanner::Finish() {
  m_torn = m_fed > m_wholeBytes;
  if (m_torn) ++m_refused;
  m_partial.clear();
  m_overlong = false;
}

bool ScanHistoryFile(const std::string& path, HistoryScanner& scanner, bool* missing) {
  if (missing) *missing = false;
  errno = 0;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    if (errno != ENOENT) return false;
    if (missing) *missing = true;
    scanner.Finish();
    return true;
  }
  std::vector<char> piece(kReadPiece);
  size_t got = 0;
  while ((got = std::fread(piece.data(), 1, piece.size(), file)) > 0) scanner.Feed(std::string_view(piece.data(), got));
  const bool ok = !std::ferror(file);
  std::fclose(file);
  scanner.Finish();
  return ok;
}

std::vector<HistoryHour> ParseHistory(std::string_view text) {
  std::vector<HistoryHour> hours;
  HistoryScanner scanner([&](const HistoryHour& hour, std::string_view) { hours.push_back(hour); });
  scanner.Feed(text);
  scanner.Finish();
  return hours;
}

std::string FormatHistoryLine(const HistoryHour& h) {
  const char* format = "%04d-%02d-%02dT%02d,%.6f,%.1f,%.6f,%.6f,%.1f\n";
  const int length = std::snprintf(nullptr, 0, format, h.when.year, h.when.month, h.when.day, h.when.hour, h.energy,
                                   h.seconds, h.cpuWh, h.cpuWhSaving, h.measuredSeconds);
  if (length <= 0) return std::string();
  std::string line(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(&line[0], line.size(), format, h.when.year, h.when.month, h.when.day, h.when.hour, h.energy,
                h.seconds, h.cpuWh, h.cpuWhSaving, h.measuredSeconds);
  line.resize(static_cast<size_t>(length));
  return line;
}

namespace {

// Appends each line on its own, flushed, so that after a failure the lines already written are
// known and never written twice.
size_t AppendLines(const std::string& path, const std::vector<HistoryHour>& hours) {
  FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return 0;
  size_t written = 0;
  for (const HistoryHour& hour : hours) {
    const std::string line = FormatHistoryLine(hour);
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size() || std::fflush(file) != 0) break;
    ++written;
  }
  std::fclose(file);
  return written;
}

}  // namespace

size_t AppendHistoryHours(const std::string& path, const std::vector<HistoryHour>& hours) {
  if (hours.empty()) return 0;
  // The raw lines of the newest sound hours, for a trim that keeps them as they stand.
  std::deque<std::string> newest;
  HistoryScanner scanner([&](const HistoryHour&, std::string_view line) {
    newest.emplace_back(line);
    if (newest.size() > kHistoryKeepHours) newest.pop_front();
  });
  if (!ScanHistoryFile(path, scanner)) return 0;
  const auto whole = [&](FileWrite result) { return result == FileWrite::Ok ? hours.size() : 0; };
  std::string lines;
  for (const HistoryHour& hour : hours) lines += FormatHistoryLine(hour);
  // A file from before the measured columns gets the header that names them, in one rewrite.
  const bool firstHeader = scanner.Header() == kFirstHeader;
  const std::string header =
      (scanner.Header().empty() || firstHeader ? std::string(kHeader) : scanner.Header()) + "\n";

  // Past the keep, or grown by damaged lines that are never read: rewritten with the newest hours.
  if (firstHeader || scanner.Hours() + hours.size() > kHistoryKeepHours + kHistorySlackHours ||
      scanner.Refused() > kHistorySlackHours) {
    const size_t room = hours.size() < kHistoryKeepHours ? kHistoryKeepHours - hours.size() : 0;
    while (newest.size() > room) newest.pop_front();
    std::string kept = header;
    for (const std::string& line : newest) kept.append(line).append("\n");
    return whole(ReplaceWholeFile(path, kept + lines));
  }
  // A new file is written whole, in one atomic replace.
  if (scanner.WholeBytes() == 0) return whole(ReplaceWholeFile(path, header + lines));
  // A last line without its end was cut short by a crash. It goes, rather than be ended by this
  // append: the cut may fall inside a number and leave a line that reads as a wrong hour.
  if (scanner.Torn()) {
    std::string content;
    if (ReadWholeFile(path, content) != FileRead::Ok || content.size() < scanner.WholeBytes()) return 0;
    content.resize(static_cast<size_t>(scanner.WholeBytes()));
    return whole(ReplaceWholeFile(path, content + lines));
  }
  return AppendLines(path, hours);
}

bool AppendHistoryHour(const std::string& path, const HistoryHour& hour) {
  return AppendHistoryHours(path, std::vector<HistoryHour>{hour}) == 1;
}

HourlyRecorder::HourlyRecorder(std::string path) : m_path(std::move(path)) {}

void HourlyRecorder::Add(const HourStamp& now, double energy, double seconds, double cpuWh, double cycleSeconds) {
  // A line never holds more than an hour of measuring; the hour that a clock set back repeats gets a
  // second line (half a cycle of slack for the sum of tenths).
  if (m_open && (m_hour.when != now || m_hour.measuredSeconds + cycleSeconds > kHistorySecondsPerHour + 0.05)) {
    Flush();
  }
  if (!m_open) {
    m_hour = HistoryHour();
    m_hour.when = now;
    m_open = true;
  }
  if (energy > 0) m_hour.energy += energy;
  if (seconds > 0) m_hour.seconds += seconds;
  if (cpuWh > 0) {
    m_hour.cpuWh += cpuWh;
    if (seconds > 0) m_hour.cpuWhSaving += cpuWh;
  }
  if (cycleSeconds > 0) m_hour.measuredSeconds += cycleSeconds;
}

void HourlyRecorder::Flush() {
  if (!m_open) return;
  m_open = false;
  // An hour in which nothing was saved or measured adds nothing worth a line.
  if (m_hour.energy > 0 || m_hour.seconds > 0 || m_hour.cpuWh > 0) m_unwritten.push_back(m_hour);
  if (m_unwritten.empty()) return;
  const size_t written = AppendHistoryHours(m_path, m_unwritten);
  m_unwritten.erase(m_unwritten.begin(), m_unwritten.begin() + static_cast<std::ptrdiff_t>(written));
  if (m_unwritten.size() > kHistoryUnwrittenHours) {
    m_unwritten.erase(m_unwritten.begin(), m_unwritten.end() - static_cast<std::ptrdiff_t>(kHistoryUnwrittenHours));
  }
}

}  // namespace zor
