// zor2.exe: the main window over the real system.
#include <windows.h>

#include "common/hwk_binding.h"
#include "common/lock_names.h"
#include "gui/app/main_app.h"
#include "gui/app/win32/close_request_win32.h"
#include "gui/app/win32/running_copy_win32.h"
#include "platform/dynamic_library.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/program_paths.h"
#include "platform/registry.h"
#include "platform/service_manager.h"
#include "platform/shutdown.h"
#include "platform/vendor_libraries.h"
#include "ui/desktop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  using namespace zor;
  fw::ThreadSleeper sleeper;
  MainPorts ports{[]() -> std::unique_ptr<Hwk> {
                    HwkLoadResult loaded = LoadHwk(HwkClient::Gui);
                    return std::move(loaded.hwk);
                  },
                  SystemRegistry(),
                  SystemProcesses(),
                  SystemServiceManager(),
                  SystemMessageBoxes(),
                  SystemShutdown(),
                  SystemVendorLibraries(),
                  sleeper,
                  RealSystemInfo(),
                  SystemShell(),
                  ProgramDirectory(),
                  SystemLibraryDirectory(),
                  locks::kIsaBus};
  WatchUpdaterCloseRequest();
  CMainApp app(SystemSingleInstance(), ui::Desktop(), ShowRunningZor2);
  return app.InitInstance(std::move(ports), commandLine ? commandLine : "");
}
