#include "gui/app/main_app.h"

namespace zor {

void CMainApp::InitInstance(MainPorts ports, const std::string& commandLine,
                            const std::function<void(CMainDialog&)>& configure) {
  // The firmware is one per machine: a copy in another logon session counts as running too. One
  // name only: before Vista the console session's plain and global names are one namespace, so a
  // second claim under the other spelling would find this copy's own marker.
  if (!m_instance.Claim(std::string("Global\\") + kInstanceMutexName)) return;
  CMainDialog dialog(std::move(ports), commandLine);
  if (configure) configure(dialog);
  m_desktop.DoModal(dialog);
}

}  // namespace zor
