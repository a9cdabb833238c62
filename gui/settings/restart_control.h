// Restarting Windows after a change of the firmware's low-power state. Every failure ends the
// program with status 1 and no message.
#pragma once

#include <string>

#include "gui/settings/settings_exit.h"
#include "platform/shutdown.h"

namespace zor {

class RestartControl {
 public:
  RestartControl(Shutdown& shutdown, SettingsExit& exit) : m_shutdown(shutdown), m_exit(exit) {}

  bool RestartSystem();
  bool EnablePrivilege(const std::string& name);
  bool DisablePrivilege(const std::string& name);
  void FatalExit() { m_exit.Request(1); }

 private:
  Shutdown& m_shutdown;
  SettingsExit& m_exit;
};

}  // namespace zor
