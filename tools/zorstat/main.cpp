// zorstat [HISTORY] [--html OUT.html]: prints the energy saved per day, per month and in all from
// the energy history (by default History.csv beside this program) and, with --html, writes a
// self-contained report with a chart of the 90 days up to today. The history is read a piece at a
// time, so its size does not matter.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/energy_history.h"
#include "platform/atomic_file.h"
#include "platform/program_paths.h"
#include "platform/system_info.h"
#include "tools/zorstat/stats.h"

int main(int argc, char** argv) {
  std::string path = zor::JoinPath(zor::ProgramDirectory(), zor::kHistoryFileName);
  std::string html;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--html") == 0 && i + 1 < argc) {
      html = argv[++i];
    } else if (argv[i][0] != '-') {
      path = argv[i];
    } else {
      std::fprintf(stderr, "usage: zorstat [HISTORY] [--html OUT.html]\n");
      return 2;
    }
  }
  const zor::LocalTime now = zor::RealSystemInfo().Now();
  const long today = zor::DayNumber(now.wYear, now.wMonth, now.wDay);
  zor::HistorySummer summer(today);
  zor::HistoryScanner scanner([&](const zor::HistoryHour& hour, std::string_view) { summer.Add(hour); });
  bool missing = false;
  if (!zor::ScanHistoryFile(path, scanner, &missing) || missing) {
    std::fprintf(stderr, "zorstat: cannot read %s\n", path.c_str());
    return 1;
  }
  summer.AddRefused(scanner.Refused());
  const zor::HistoryTotals totals = summer.Totals();
  std::fputs(zor::TextReport(totals).c_str(), stdout);
  if (!html.empty() && zor::ReplaceWholeFile(html, zor::HtmlReport(totals, today)) != zor::FileWrite::Ok) {
    std::fprintf(stderr, "zorstat: cannot write %s\n", html.c_str());
    return 1;
  }
  return 0;
}
