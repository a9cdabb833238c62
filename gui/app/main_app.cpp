#include "gui/app/main_app.h"

#include "gui/app/restore_mode.h"

namespace zor {

int CMainApp::InitInstance(MainPorts ports, const std::string& commandLine,
                           const std::function<void(CMainDialog&)>& configure) {
  // Run by an uninstaller, which waits for it: whether or not a copy runs, it does its work.
  if (IsRestoreCommand(commandLine)) return RunRestoreMode(ports);
  // The firmware is one per machine: a copy in another logon session counts as running too. One
  // name only: before Vista the console session's plain and global names are one namespace, so a
  // second claim under the other spelling would find this copy's own marker.
  if (!m_instance.Claim(std::string("Global\\") + kInstanceMutexName)) return 0;
  CMainDialog dialog(std::move(ports), commandLine);
  if (configure) configure(dialog);
  // The firmware's waits overlap the making of the window.
  dialog.BeginDiscovery();
  m_desktop.DoModal(dialog);
  return 0;
}

}  // namespace zor
