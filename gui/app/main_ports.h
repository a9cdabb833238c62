// What zor2 needs from the system, gathered once at its start: the main window, the restore mode and
// the developer tools that run zor2's start take the same ports.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/firmware.h"
#include "platform/hwk.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/service_manager.h"
#include "platform/shell.h"
#include "platform/shutdown.h"
#include "platform/system_info.h"
#include "platform/vendor_libraries.h"

namespace zor {

// What the main window needs from the system.
struct MainPorts {
  // Binds hwk.dll for zor2; null when it cannot be loaded or lacks an entry point.
  std::function<std::unique_ptr<Hwk>()> loadHwk;
  Registry& registry;
  Processes& processes;
  ServiceManager& services;
  MessageBoxes& boxes;
  Shutdown& shutdown;
  VendorLibraries& vendors;
  fw::Sleeper& sleeper;
  SystemInfo& system;
  Shell& shell;
  std::string programDir;  // "" when the program's path could not be had whole
  std::string systemDir;   // "" when unknown
  // The cross-process lock the sensor reads take (the service's ISA-bus lock).
  std::string portLockName;
};

// The ports of the machine the program runs on (Windows only), waiting with sleeper.
MainPorts SystemMainPorts(fw::Sleeper& sleeper);

}  // namespace zor
