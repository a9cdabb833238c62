// How many times in a row ReLaunch.exe has restarted zor2 for a board that did not give its
// RailTable address. Kept in INFO.DAT so that the bound holds across the two programs starting
// each other; zor2 clears it once a start gets the address.
//
// [ReLaunch] "Count": restarts since the last good start (written by ReLaunch.exe, cleared by zor2)
// [ReLaunch] "Limit": restarts allowed in a row, 0 to 10 (default 3; the user may edit it)
// [ReLaunch] "Wait":  seconds to wait before each restart, 0 to 300 (default 5; the user may edit it)
#pragma once

#include <cstdint>

#include "common/info_store.h"

namespace zor {

constexpr int kRelaunchDefaultLimit = 3;
constexpr int kRelaunchMaxLimit = 10;
constexpr int kRelaunchDefaultWaitSeconds = 5;
constexpr int kRelaunchMaxWaitSeconds = 300;

struct RelaunchTurn {
  bool allowed = false;  // false: the bound is reached, nothing may be started
  int count = 0;         // the count as it now stands in INFO.DAT
  int limit = kRelaunchDefaultLimit;
  uint32_t waitMs = kRelaunchDefaultWaitSeconds * 1000;
};

// Claims one restart: when the count is below the limit it is raised by one and stored before
// anything is started, so a restart that never comes back still counts.
RelaunchTurn TakeRelaunchTurn(InfoStore& store);

// zor2 calls this once its start has got the RailTable address. Writes only when there is a count
// to clear, so an ordinary start leaves INFO.DAT untouched.
void ResetRelaunchCount(InfoStore& store);

}  // namespace zor
