// Updexe.exe [/zor2] [/silent]: applies the update package of the update folder (see update.h).
// zor2's Update button starts it with "/zor2" and it shows the outcome in the product's notice
// box; with "/silent" it prints the outcome instead, for scripts. The exit code is the outcome:
// 0 up to date, 1 updated, 2 no package, 3 invalid manifest, 4 a file missing, 5 a checksum
// mismatch, 6 zor2 or the service would not stop (or the service's state could not be read), 7 a
// file could not be written and the old files were put back, 8 not all of them could be, 9 an
// interrupted update was finished, 10 undone, 11 neither, 12 the package is not signed with the key
// built in, 13 users other than administrators may change the update folder.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "common/info_store.h"
#include "platform/clock.h"
#include "platform/file_ops.h"
#include "platform/program_paths.h"
#include "platform/uninstall_entry.h"
#include "platform/service_manager.h"
#include "apps/updexe/signature_check.h"
#include "apps/updexe/update.h"
#include "apps/updexe/update_control_win32.h"
#include "apps/updexe/update_notice.h"
#include "ui/desktop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const std::string dir = zor::ProgramDirectory();
  zor::InfoStore store(zor::JoinPath(dir, "INFO.DAT"));
  zor::Win32Zor2Instances zor2(dir);
  zor::ProgramsControl control(zor::SystemServiceManager(), zor2, zor::SystemClock());
  std::unique_ptr<zor::SignatureCheck> origin = zor::SystemSignatureCheck(zor::BuiltInUpdateKey());
  const zor::UpdateResult result = zor::RunUpdate(
      store, {control, zor::SystemFileOps(), *origin, zor::SystemFolderAccess(), zor::SystemVersionListing()}, dir,
      ZOR_VERSION);
  const std::vector<std::string> lines = zor::DescribeUpdate(result);
  if (commandLine && std::strstr(commandLine, "/silent")) {
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  } else {
    zor::UpdateNotice notice(lines);
    zor::ui::Desktop().DoModal(notice);
  }
  return static_cast<int>(result.status);
}
