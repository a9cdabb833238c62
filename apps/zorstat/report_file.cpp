#include "apps/zorstat/report_file.h"

#include <cstdio>

#include "platform/atomic_file.h"
#include "platform/program_paths.h"
#include "platform/user_folders.h"

namespace zor {

namespace {

int Refuse(MessageBoxes& boxes, const std::string& text) {
  boxes.Show(text, kReportCaption, MessageIcon::Stop);
  return 1;
}

}  // namespace

std::string ReportPathIn(const std::string& documents) {
  if (documents.empty()) return std::string();
  return JoinPath(JoinPath(documents, kReportFolderName), kReportFileName);
}

int WriteAndOpenReport(const std::string& documents, const std::string& html, Shell& shell,
                       MessageBoxes& boxes) {
  if (documents.empty()) {
    return Refuse(boxes, "The energy report cannot be written: Windows does not tell where your documents folder is.");
  }
  const std::string folder = JoinPath(documents, kReportFolderName);
  const std::string path = ReportPathIn(documents);
  if (!MakeFolder(folder) || ReplaceWholeFile(path, html) != FileWrite::Ok) {
    return Refuse(boxes, "The energy report cannot be written to " + path +
                             ". Check that this folder can be written, then try again.");
  }
  std::printf("Energy report: %s\n", path.c_str());
  if (!shell.Open(path, "")) {
    return Refuse(boxes, "The energy report is written to " + path +
                             ", but no program opens it. Open it in a web browser.");
  }
  return 0;
}

}  // namespace zor
