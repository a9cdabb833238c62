#include "gui/settings/service_settings.h"

#include "common/service_name.h"

namespace zor {

namespace {
constexpr uint32_t kStateUnknown = 99;  // not installed, or its state could not be read
}

void ServiceSettings::EnsureServiceRunning() {
  if (m_exit.Requested()) return;
  uint32_t state = kStateUnknown;
  bool queried = false;
  if (auto manager = m_services.Open()) {
    if (auto service = manager->OpenNamed(kServiceName)) queried = service->QueryState(&state);
  }
  if (!queried) {
    state = kStateUnknown;
    RunServiceInstaller();
    StartSaverService();
  }
  if (state == kServiceRunning || state == kServiceContinuePending) return;
  StartSaverService();
}

bool ServiceSettings::StartSaverService() {
  if (m_exit.Requested()) return false;
  auto manager = m_services.Open();
  if (!manager) return false;
  auto service = manager->OpenNamed(kServiceName);
  if (!service) return false;
  uint32_t state = 0;
  service->Interrogate(&state);
  if (state == kServiceRunning) return true;
  if (!service->Start()) return false;
  for (int poll = 0; poll < kServicePolls; ++poll) {
    m_sleeper.SleepMs(kServicePollMs);
    if (service->Interrogate(&state) && state == kServiceRunning) return true;
  }
  return false;
}

void ServiceSettings::RunServiceInstaller() {
  if (m_exit.Requested()) return;
  // Without the program directory the command would run "\Zor2Svr.exe" from the drive's root.
  if (m_state.m_strAppDir.empty()) return;
  // Quoted, so that an install under a directory with blanks starts the right program. The starts
  // that follow need the service registered, so the installer is given time to finish.
  m_processes.RunHidden(QuotedCommand(m_state.m_strAppDir + "\\Zor2Svr.exe", "-i"),
                        kInstallerWaitMs);
}

}  // namespace zor
