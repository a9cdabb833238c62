// zorstat --report: the HTML report written to the user's own documents folder (a user may not
// write the program's folder) and opened in the default browser. Started from the Start menu and
// the companion's menu, where no console shows, so a failure is told in a message box.
#pragma once

#include <string>

#include "platform/message_box.h"
#include "platform/shell.h"

namespace zor {

inline constexpr const char* kReportFolderName = "Zorwise";
inline constexpr const char* kReportFileName = "Energy report.html";
inline constexpr const char* kReportCaption = "Energy report";

// documents\Zorwise\Energy report.html; "" when documents is.
std::string ReportPathIn(const std::string& documents);

// Writes html to ReportPathIn(documents), creating the Zorwise folder, and opens it with shell.
// Returns the exit status (0 when the report is written and opened); failures go to boxes.
int WriteAndOpenReport(const std::string& documents, const std::string& html, Shell& shell,
                       MessageBoxes& boxes);

}  // namespace zor
