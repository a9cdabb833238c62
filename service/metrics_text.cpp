#include "service/metrics_text.h"

#include <cmath>
#include <cstdio>

#include "common/firmware_layout.h"

namespace zor {

namespace {

// Go's float syntax, which the exposition format uses; 12 digits keep a year of joules to the
// joule.
std::string Number(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  char text[40];
  std::snprintf(text, sizeof text, "%.12g", value);
  return text;
}

// A label value: backslash, double quote and line feed are the characters the format escapes.
std::string LabelValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '"')
      out += "\\\"";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

void Family(std::string& out, const char* name, const char* type, const char* help,
            const std::string& sample) {
  out += "# HELP ";
  out += name;
  out += ' ';
  out += help;
  out += "\n# TYPE ";
  out += name;
  out += ' ';
  out += type;
  out += '\n';
  out += sample;
  out += '\n';
}

void Simple(std::string& out, const char* name, const char* type, const char* help, double value) {
  Family(out, name, type, help, std::string(name) + ' ' + Number(value));
}

}  // namespace

int LevelFromCode(int code) {
  if (code == fw::kLevelL1 || code % 2 == 0) return 1;
  if (code == fw::kLevelL2) return 2;
  if (code == fw::kLevelL3) return 3;
  return 0;
}

std::string FormatMetrics(const MetricsSnapshot& s) {
  std::string out;
  Simple(
      out, "zorwise_saving_figure_total", "counter",
      "Energy-saving figure since the start date, by the firmware's formula (Total in INFO.DAT); "
      "it has no physical unit.",
      s.savingFigure);
  Simple(
      out, "zorwise_cpu_energy_joules_total", "counter",
      "CPU energy measured since the service started: each cycle's CPU power times the cycle time.",
      s.cpuJoules);
  Simple(out, "zorwise_saving_seconds_total", "counter",
         "Time spent with the firmware's energy saving on, since the service started.",
         s.savingSeconds);
  Simple(out, "zorwise_cpu_power_watts", "gauge", "CPU power measured in the last cycle.",
         s.cpuWatts);
  Simple(out, "zorwise_saving_active", "gauge",
         "Whether the firmware's energy saving is on (1) or off (0).", s.saving ? 1.0 : 0.0);
  Simple(out, "zorwise_saving_level", "gauge",
         "Energy-saving level the firmware holds: 1 (L1, mildest) to 3 (L3, strongest); 0 unknown.",
         s.level);
  Family(out, "zorwise_board_info", "gauge",
         "The service's version and the board as it measures it: firmware revision and how the CPU "
         "current is sensed.",
         "zorwise_board_info{version=\"" + LabelValue(s.version) + "\",firmware_revision=\"" +
             LabelValue(s.revision) + "\",current_sensing=\"" + LabelValue(s.currentSensing) +
             "\"} 1");
  return out;
}

}  // namespace zor
