#include "gui/app/main_app.h"

#include <algorithm>
#include <cctype>

#include "common/lock_names.h"
#include "gui/app/restore_mode.h"

namespace zor {

bool BringsRunningCopyForward(const std::string& commandLine) {
  std::string lower = commandLine;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  // The same test as the window's start-up mode.
  return lower.find("state") == std::string::npos;
}

int CMainApp::InitInstance(MainPorts ports, const std::string& commandLine,
                           const std::function<void(CMainDialog&)>& configure) {
  // Run by an uninstaller, which waits for it: whether or not a copy runs, it does its work.
  if (IsRestoreCommand(commandLine)) return RunRestoreMode(ports);
  // The firmware is one per machine: a copy in another logon session counts as running too. One
  // name only: before Vista the console session's plain and global names are one namespace, so a
  // second claim under the other spelling would find this copy's own marker.
  if (!m_instance.Claim(locks::kZor2Instance)) {
    if (m_showRunningCopy && BringsRunningCopyForward(commandLine)) m_showRunningCopy();
    return 0;
  }
  CMainDialog dialog(std::move(ports), commandLine);
  if (configure) configure(dialog);
  // The firmware's waits overlap the making of the window.
  dialog.BeginDiscovery();
  m_desktop.DoModal(dialog);
  return 0;
}

}  // namespace zor
