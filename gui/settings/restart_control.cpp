#include "gui/settings/restart_control.h"

namespace zor {

bool RestartControl::EnablePrivilege(const std::string& name) {
  if (m_shutdown.AdjustPrivilege(name, true) != 0) {
    FatalExit();
    return false;
  }
  return true;
}

bool RestartControl::DisablePrivilege(const std::string& name) {
  if (m_shutdown.AdjustPrivilege(name, false) != 0) {
    FatalExit();
    return false;
  }
  return true;
}

bool RestartControl::RestartSystem() {
  if (m_exit.Requested()) return false;
  if (!EnablePrivilege(kShutdownPrivilege)) return false;
  if (!m_shutdown.RequestRestart()) {
    FatalExit();
    return false;
  }
  return DisablePrivilege(kShutdownPrivilege);
}

}  // namespace zor
