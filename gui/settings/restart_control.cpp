#include "gui/settings/restart_control.h"

namespace zor {

int RestartControl::EnablePrivilege(const std::string& name) {
  if (m_shutdown.AdjustPrivilege(name, true) != 0) {
    FatalExit();
    return 0;
  }
  return 1;
}

int RestartControl::DisablePrivilege(const std::string& name) {
  if (m_shutdown.AdjustPrivilege(name, false) != 0) {
    FatalExit();
    return 0;
  }
  return 1;
}

int RestartControl::RestartSystem() {
  if (m_exit.Requested()) return 0;
  if (!EnablePrivilege(kShutdownPrivilege)) return 0;
  if (!m_shutdown.RequestRestart()) {
    FatalExit();
    return 0;
  }
  return DisablePrivilege(kShutdownPrivilege);
}

}  // namespace zor
