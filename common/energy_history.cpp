#include "common/energy_history.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/atomic_file.h"

namespace zor {

namespace {

constexpr const char* kHeader = "hour,energy,seconds\n";

bool ParseNumber(std::string_view text, double* value) {
  if (text.empty() || text.size() > 40) return false;
  const std::string copy(text);
  char* end = nullptr;
  *value = std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size() && std::isfinite(*value) && *value >= 0;
}

bool ParseDigits(std::string_view text, int* value) {
  if (text.empty()) return false;
  *value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    *value = *value * 10 + (c - '0');
  }
  return true;
}

// "2026-12-10T04,0.123456,3600.0"
bool ParseLine(std::string_view line, HistoryHour* out) {
  if (line.size() < 14 || line[4] != '-' || line[7] != '-' || line[10] != 'T' || line[13] != ',') return false;
  HistoryHour h;
  if (!ParseDigits(line.substr(0, 4), &h.when.year) || !ParseDigits(line.substr(5, 2), &h.when.month) ||
      !ParseDigits(line.substr(8, 2), &h.when.day) || !ParseDigits(line.substr(11, 2), &h.when.hour)) {
    return false;
  }
  if (h.when.month < 1 || h.when.month > 12 || h.when.day < 1 || h.when.day > 31 || h.when.hour > 23) {
    return false;
  }
  const std::string_view rest = line.substr(14);
  const size_t comma = rest.find(',');
  if (comma == std::string_view::npos) return false;
  if (!ParseNumber(rest.substr(0, comma), &h.energy) || !ParseNumber(rest.substr(comma + 1), &h.seconds)) {
    return false;
  }
  *out = h;
  return true;
}

}  // namespace

std::vector<HistoryHour> ParseHistory(std::string_view text) {
  std::vector<HistoryHour> hours;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    // A last line without its end is one a crash may have cut short.
    if (end == std::string_view::npos) break;
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    HistoryHour hour;
    if (ParseLine(line, &hour)) hours.push_back(hour);
  }
  return hours;
}

std::string FormatHistoryLine(const HistoryHour& h) {
  char line[96];
  std::snprintf(line, sizeof line, "%04d-%02d-%02dT%02d,%.6f,%.1f\n", h.when.year, h.when.month, h.when.day,
                h.when.hour, h.energy, h.seconds);
  return line;
}

bool AppendHistoryHour(const std::string& path, const HistoryHour& hour) {
  std::string content;
  const FileRead read = ReadWholeFile(path, content);
  if (read == FileRead::Failed) return false;
  // A last line without its end was cut short by a crash. It goes, rather than be ended by this
  // append: the cut may fall inside a number and leave a line that reads as a wrong hour.
  const bool torn = !content.empty() && content.back() != '\n';
  if (torn) content.erase(content.find_last_of('\n') + 1);  // npos + 1 == 0: nothing whole is left

  const std::vector<HistoryHour> hours = ParseHistory(content);
  if (hours.size() + 1 > kHistoryKeepHours + kHistorySlackHours) {
    std::string kept = kHeader;
    for (size_t i = hours.size() + 1 - kHistoryKeepHours; i < hours.size(); ++i) kept += FormatHistoryLine(hours[i]);
    kept += FormatHistoryLine(hour);
    return ReplaceWholeFile(path, kept) == FileWrite::Ok;
  }
  // A new file, or one that had a torn line, is written whole, in one atomic replace.
  const bool fresh = content.empty();
  if (fresh) content = kHeader;
  if (torn || fresh) return ReplaceWholeFile(path, content + FormatHistoryLine(hour)) == FileWrite::Ok;
  const std::string line = FormatHistoryLine(hour);
  FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return false;
  const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  return std::fclose(file) == 0 && written;
}

HourlyRecorder::HourlyRecorder(std::string path) : m_path(std::move(path)) {}

void HourlyRecorder::Add(const HourStamp& now, double energy, double seconds) {
  if (m_open && m_hour.when != now) Flush();
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
  if (m_hour.energy > 0 || m_hour.seconds > 0) AppendHistoryHour(m_path, m_hour);
}

}  // namespace zor
