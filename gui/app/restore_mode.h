// "zor2.exe restore": gives the user's own power plan and time-outs back and switches the
// firmware's saving off as the OFF button does (and for the next boot, as a close that stops
// saving does), then ends. The uninstallers run it, and wait for it, before they remove the
// service; so it shows no window and no message, whatever fails.
#pragma once

#include <string>

#include "gui/app/main_dialog.h"

namespace zor {

// True when the command line asks for it: the word "restore", in any case, as one argument.
bool IsRestoreCommand(const std::string& commandLine);

// Returns the process's exit status: 0 when done, 1 when the program's folder is unknown.
int RunRestoreMode(MainPorts& ports);

}  // namespace zor
