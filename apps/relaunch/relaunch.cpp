#include "apps/relaunch/relaunch.h"

#include <cctype>

#include "common/relaunch_count.h"
#include "platform/program_paths.h"

namespace zor {

bool IsStateMode(std::string_view commandLine) {
  std::string lower(commandLine);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("state") != std::string::npos;
}

std::string Zor2Command(const std::string& programDir, bool stateMode) {
  return QuotedCommand(JoinPath(programDir, "zor2.exe"), stateMode ? "state" : "");
}

RelaunchResult Relaunch(InfoStore& store, Processes& processes, Clock& clock,
                        const std::string& programDir, bool stateMode) {
  const RelaunchTurn turn = TakeRelaunchTurn(store);
  if (!turn.allowed) return RelaunchResult::LimitReached;
  clock.SleepMs(turn.waitMs);
  return processes.StartHidden(Zor2Command(programDir, stateMode)) ? RelaunchResult::Started
                                                                    : RelaunchResult::StartFailed;
}

}  // namespace zor
