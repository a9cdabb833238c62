// zor2.exe: the main window over the real system.
#include <windows.h>

#include "gui/app/main_app.h"
#include "gui/app/win32/close_request_win32.h"
#include "gui/app/win32/running_copy_win32.h"
#include "ui/desktop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  using namespace zor;
  fw::ThreadSleeper sleeper;
  WatchUpdaterCloseRequest();
  CMainApp app(SystemSingleInstance(), ui::Desktop(), ShowRunningZor2);
  return app.InitInstance(SystemMainPorts(sleeper), commandLine ? commandLine : "");
}
