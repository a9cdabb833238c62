// zor2's ports over the real system.
#include "common/hwk_binding.h"
#include "gui/app/main_ports.h"
#include "platform/dynamic_library.h"
#include "platform/program_paths.h"

namespace zor {

namespace {

// The sensor chip's lock, shared with the service and other hardware tools.
constexpr char kIsaBusLock[] = "Global\\Access_ISABUS.HTP.Method";

}  // namespace

MainPorts SystemMainPorts(fw::Sleeper& sleeper) {
  return MainPorts{[]() -> std::unique_ptr<Hwk> {
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
                   kIsaBusLock};
}

}  // namespace zor
