// ReLaunch.exe: zor2 starts it hidden, with "state", when the firmware did not give the RailTable
// address (it may not be ready yet so soon after logon). It waits, then starts zor2 again in the
// same mode, at most a bounded number of times in a row (see common/relaunch_count.h), so a board
// that never gives the address cannot make the two programs start each other for ever.
#pragma once

#include <string>
#include <string_view>

#include "common/info_store.h"
#include "platform/clock.h"
#include "platform/processes.h"

namespace zor {

enum class RelaunchResult { Started, LimitReached, StartFailed };

// "state" anywhere in the lower-cased command line, as zor2 tells its start-up mode.
bool IsStateMode(std::string_view commandLine);

// The command that starts zor2 from programDir: "<dir>\zor2.exe" [state], the path quoted.
std::string Zor2Command(const std::string& programDir, bool stateMode);

// Claims a restart in store, waits the configured time and starts zor2 from programDir.
RelaunchResult Relaunch(InfoStore& store, Processes& processes, Clock& clock,
                        const std::string& programDir, bool stateMode);

}  // namespace zor
