// Making sure the energy-saving service is installed and running. Silent: the window learns the
// service's figures only through INFO.DAT, so every failure just leaves it without them.
#pragma once

#include <cstdint>

#include "common/firmware.h"
#include "gui/settings/main_state.h"
#include "gui/settings/settings_exit.h"
#include "platform/processes.h"
#include "platform/service_manager.h"

namespace zor {

constexpr int kServicePolls = 10;
constexpr uint32_t kServicePollMs = 1000;
constexpr uint32_t kInstallerWaitMs = 10000;

class ServiceSettings {
 public:
  // The installer is looked for in state's program directory.
  ServiceSettings(const MainState& state, ServiceManager& services, Processes& processes,
                  fw::Sleeper& sleeper, SettingsExit& exit)
      : m_state(state),
        m_services(services),
        m_processes(processes),
        m_sleeper(sleeper),
        m_exit(exit) {}

  void EnsureServiceRunning();
  bool StartSaverService();
  void RunServiceInstaller();

 private:
  const MainState& m_state;
  ServiceManager& m_services;
  Processes& m_processes;
  fw::Sleeper& m_sleeper;
  SettingsExit& m_exit;
};

}  // namespace zor
