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

constexpr const char* kHeader = "hour,energy,seconds";
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

// "2026-12-10T04,0.123456,3600.0", and perhaps further columns.
HistoryLineKind ParseHistoryLine(std::string_view line, HistoryHour* out) {
  if (line.substr(0, 5) == "hour,") return HistoryLineKind::kHeader;
  const size_t first = line.find(',');
  const size_t second = first == std::string_view::npos ? first : line.find(',', first + 1);
  if (second == std::string_view::npos) return HistoryLineKind::kRefused;
  const size_t third = line.find(',', second + 1);
  const std::string_view stamp = line.substr(0, first);
  const std::string_view energy = line.substr(first + 1, second - first - 1);
  const std::string_view seconds =
      third == std::string_view::npos ? line.substr(second + 1) : line.substr(second + 1, third - second - 1);
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
  const char* format = "%04d-%02d-%02dT%02d,%.6f,%.1f\n";
  const int length =
      std::snprintf(nullptr, 0, format, h.when.year, h.when.month, h.when.day, h.when.hour, h.energy, h.seconds);
  if (length <= 0) return std::string();
  std::string line(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(&line[0], line.size(), format, h.when.year, h.when.month, h.when.day, h.when.hour, h.energy,
                h.seconds);
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
  const std::string header = (scanner.Header().empty() ? std::string(kHeader) : scanner.Header()) + "\n";

  // Past the keep, or grown by damaged lines that are never read: rewritten with the newest hours.
  if (scanner.Hours() + hours.size() > kHistoryKeepHours + kHistorySlackHours ||
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

void HourlyRecorder::Add(const HourStamp& now, double energy, double seconds) {
  // A line never holds more than an hour of saving; the hour that a clock set back repeats gets a
  // second line (half a cycle of slack for the sum of tenths).
  if (m_open && (m_hour.when != now || m_hour.seconds + seconds > kHistorySecondsPerHour + 0.05)) Flush();
  if (!m_open) {
    m_hour = HistoryHour();
    m_hour.when = now;
    m_open = true;
  }
  if (energy > 0) m_hour.energy += energy;
  if (seconds > 0) m_hour.seconds += seconds;
}

void HourlyRecorder::Flush() {
  if (!m_open) return;
  m_open = false;
  // An hour without saving adds nothing worth a line.
  if (m_hour.energy > 0 || m_hour.seconds > 0) m_unwritten.push_back(m_hour);
  if (m_unwritten.empty()) return;
  const size_t written = AppendHistoryHours(m_path, m_unwritten);
  m_unwritten.erase(m_unwritten.begin(), m_unwritten.begin() + static_cast<std::ptrdiff_t>(written));
  if (m_unwritten.size() > kHistoryUnwrittenHours) {
    m_unwritten.erase(m_unwritten.begin(), m_unwritten.end() - static_cast<std::ptrdiff_t>(kHistoryUnwrittenHours));
  }
}

}  // namespace zor
