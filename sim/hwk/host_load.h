// The host's CPU load, which drives the simulated board's readings unless a load is pinned.
#pragma once

namespace zor::sim {

// Percent busy over the time since the previous call (at least 250 ms apart; calls in between get
// the last figure). 0-100.
int HostCpuLoad();

}  // namespace zor::sim
