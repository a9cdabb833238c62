#include <windows.h>

#include <mutex>

#include "platform/perf_data.h"
#include "sim/hwk/host_load.h"

namespace zor::sim {

int HostCpuLoad() {
  static std::mutex guard;
  static uint64_t lastIdle = 0;
  static uint64_t lastTotal = 0;
  static bool sampled = false;
  static DWORD lastAt = 0;
  static int lastLoad = 0;
  std::lock_guard<std::mutex> lock(guard);
  // GetTickCount wraps after 49 days; the unsigned difference stays right across the wrap.
  const DWORD now = GetTickCount();
  if (sampled && now - lastAt < 250) return lastLoad;
  uint64_t idle = 0;
  uint64_t total = 0;
  if (!SystemPerfData().SystemTimes(idle, total)) return lastLoad;
  if (sampled && total > lastTotal) {
    const uint64_t span = total - lastTotal;
    const uint64_t idleSpan = idle - lastIdle;
    lastLoad = idleSpan >= span ? 0 : static_cast<int>((span - idleSpan) * 100 / span);
  }
  lastIdle = idle;
  lastTotal = total;
  lastAt = now;
  sampled = true;
  return lastLoad;
}

}  // namespace zor::sim
