// ReLaunch.exe: no window; the exit code tells what happened (0 started, 1 limit reached,
// 2 zor2 could not be started).
#include <windows.h>

#include "common/info_store.h"
#include "platform/program_paths.h"
#include "apps/relaunch/relaunch.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const std::string dir = zor::ProgramDirectory();
  zor::InfoStore store(zor::JoinPath(dir, "INFO.DAT"));
  const zor::RelaunchResult result =
      zor::Relaunch(store, zor::SystemProcesses(), zor::SystemClock(), dir,
                    zor::IsStateMode(commandLine ? commandLine : ""));
  switch (result) {
    case zor::RelaunchResult::Started: return 0;
    case zor::RelaunchResult::LimitReached: return 1;
    case zor::RelaunchResult::StartFailed: return 2;
  }
  return 2;
}
