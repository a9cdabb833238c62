// Who a process is, in a form another process can check later: its id and when it started, so
// that an id the system has given to a newer process is not taken for the one that had it before.
#pragma once

#include <cstdint>

namespace zor {

struct ProcessIdentity {
  uint32_t id = 0;
  uint32_t started = 0;  // low bits of the start time: only ever compared for equality
};

ProcessIdentity CurrentProcessIdentity();

// True only when the process is known to have ended: no process has the id any more, or the
// process that has it started at another time. One this process may not inspect counts as running.
bool ProcessEnded(const ProcessIdentity& process);

}  // namespace zor
