// Restarting Windows after a change of the firmware's low-power state. Every failure ends the
// program with status 1 and no message.
#include "gui/settings/settings_control.h"

namespace zor {

int SettingsControl::EnablePrivilege(const std::string& name) {
  if (m_ports.shutdown.AdjustPrivilege(name, true) != 0) {
    FatalExit();
    return 0;
  }
  return 1;
}

int SettingsControl::DisablePrivilege(const std::string& name) {
  if (m_ports.shutdown.AdjustPrivilege(name, false) != 0) {
    FatalExit();
    return 0;
  }
  return 1;
}

int SettingsControl::RestartSystem() {
  if (m_exit.Requested()) return 0;
  if (!EnablePrivilege(kShutdownPrivilege)) return 0;
  if (!m_ports.shutdown.RequestRestart()) {
    FatalExit();
    return 0;
  }
  return DisablePrivilege(kShutdownPrivilege);
}

}  // namespace zor
