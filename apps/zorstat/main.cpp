// zorstat [HISTORY] [--html OUT.html] [--csv OUT.csv] [--report]: prints the saving figure, the measured CPU
// energy and the average CPU power per day, per month and in all from the energy history (by
// default History.csv beside this program); with --html, writes a self-contained report with a
// chart of the 90 days up to today; with --csv, the hours with their units, in the user's number
// format; with --report, the HTML report in the user's documents folder, opened in the browser
// (report_file.h). A price per kWh and a currency in INFO.DAT beside the history add the energy's cost. The
// history is read a piece at a time, so its size does not matter.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/energy_history.h"
#include "common/info_keys.h"
#include "common/info_store.h"
#include "platform/atomic_file.h"
#include "platform/message_box.h"
#include "platform/program_paths.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/user_folders.h"
#include "platform/user_locale.h"
#include "apps/zorstat/report_file.h"
#include "apps/zorstat/stats.h"

namespace {

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

zor::ReportPrice PriceBeside(const std::string& historyPath) {
  zor::InfoStore info(zor::JoinPath(DirectoryOf(historyPath), "INFO.DAT"));
  zor::ReportPrice price;
  price.perKwh = zor::ParsePrice(info.Read(zor::info::kHistory, zor::info::kHistoryPrice, "", zor::info::kSettingCapacity));
  price.currency = info.Read(zor::info::kHistory, zor::info::kHistoryCurrency, "", zor::info::kSettingCapacity);
  return price;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = zor::JoinPath(zor::ProgramDirectory(), zor::kHistoryFileName);
  std::string html;
  std::string csv;
  bool report = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--html") == 0 && i + 1 < argc) {
      html = argv[++i];
    } else if (std::strcmp(argv[i], "--csv") == 0 && i + 1 < argc) {
      csv = argv[++i];
    } else if (std::strcmp(argv[i], "--report") == 0) {
      report = true;
    } else if (argv[i][0] != '-') {
      path = argv[i];
    } else {
      std::fprintf(stderr, "usage: zorstat [HISTORY] [--html OUT.html] [--csv OUT.csv] [--report]\n");
      return 2;
    }
  }
  const zor::LocalTime now = zor::RealSystemInfo().Now();
  const long today = zor::DayNumber(now.wYear, now.wMonth, now.wDay);
  const char mark = zor::UserDecimalMark();
  zor::HistorySummer summer(today);
  std::string rows = zor::CsvHeader(mark);
  zor::HistoryScanner scanner([&](const zor::HistoryHour& hour, std::string_view) {
    summer.Add(hour);
    if (!csv.empty()) rows += zor::CsvRow(hour, mark);
  });
  bool missing = false;
  if (!zor::ScanHistoryFile(path, scanner, &missing)) {
    std::fprintf(stderr, "zorstat: cannot read %s\n", path.c_str());
    if (report) zor::SystemMessageBoxes().Show("The energy history " + path + " cannot be read.", zor::kReportCaption, zor::MessageIcon::Stop);
    return 1;
  }
  summer.AddRefused(scanner.Refused());
  const zor::HistoryTotals totals = summer.Totals();
  const zor::ReportPrice price = PriceBeside(path);
  // Nothing recorded yet (the service has not finished an hour) is no error: the reports say so.
  std::fputs(zor::TextReport(totals, price).c_str(), stdout);
  if (!html.empty() && zor::ReplaceWholeFile(html, zor::HtmlReport(totals, today, price)) != zor::FileWrite::Ok) {
    std::fprintf(stderr, "zorstat: cannot write %s\n", html.c_str());
    return 1;
  }
  if (!csv.empty() && zor::ReplaceWholeFile(csv, rows) != zor::FileWrite::Ok) {
    std::fprintf(stderr, "zorstat: cannot write %s\n", csv.c_str());
    return 1;
  }
  if (report) {
    return zor::WriteAndOpenReport(zor::UserDocumentsFolder(), zor::HtmlReport(totals, today, price),
                                   zor::SystemShell(), zor::SystemMessageBoxes());
  }
  return 0;
}
